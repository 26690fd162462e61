#include "upload/internet_session.h"

#include <arpa/inet.h>
#include <curl/curl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>

namespace {

// Ends the shared session however a test leaves it.
class SharedSessionTest : public ::testing::Test {
  protected:
    ~SharedSessionTest() override { DeleteSession(); }
};

TEST_F(SharedSessionTest, LivesFromCreateToDelete) {
    EXPECT_EQ(SharedSession(), nullptr);
    ASSERT_TRUE(CreateSession());
    const std::shared_ptr<InternetSession> session = SharedSession();
    ASSERT_NE(session, nullptr);
    EXPECT_EQ(session->AgentName(), "Mavren");
    EXPECT_TRUE(CreateSession());
    EXPECT_EQ(SharedSession(), session) << "one session per process";
    DeleteSession();
    EXPECT_EQ(SharedSession(), nullptr);
    DeleteSession();  // a second delete does nothing
    EXPECT_EQ(SharedSession(), nullptr);
}

// Accepts one HTTP request on loopback, keeps it and answers "ok".
class OneRequestServer {
  public:
    OneRequestServer() {
        listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        EXPECT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(::listen(listener, 1), 0);
        EXPECT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
        port = ntohs(address.sin_port);
        thread = std::thread([this] { Serve(); });
    }
    ~OneRequestServer() {
        ::shutdown(listener, SHUT_RDWR);
        if (thread.joinable()) {
            thread.join();
        }
        ::close(listener);
    }
    // Waits for the request to be answered and returns it.
    std::string TakeRequest() {
        thread.join();
        return request;
    }
    int port = 0;

  private:
    void Serve() {
        const int connection = ::accept(listener, nullptr, nullptr);
        if (connection < 0) {
            return;
        }
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos) {
            const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
            if (got <= 0) {
                break;
            }
            request.append(buffer, static_cast<std::size_t>(got));
        }
        const std::string answer = "HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok";
        ::send(connection, answer.data(), answer.size(), MSG_NOSIGNAL);
        ::close(connection);
    }

    int listener = -1;
    std::string request;
    std::thread thread;
};

size_t Keep(char* data, size_t size, size_t count, void* body) {
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
}

TEST_F(SharedSessionTest, TransfersIdentifyThemselvesAsMavren) {
    ASSERT_TRUE(CreateSession());
    const std::shared_ptr<InternetSession> session = SharedSession();
    DeleteSession();  // a transfer that holds the session may still use it
    std::string body;
    {
        OneRequestServer server;
        CURL* handle = curl_easy_init();
        ASSERT_NE(handle, nullptr);
        session->Configure(handle);
        const std::string url = "http://127.0.0.1:" + std::to_string(server.port) + "/";
        curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
        curl_easy_setopt(handle, CURLOPT_NOPROXY, "*");
        curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &Keep);
        curl_easy_setopt(handle, CURLOPT_WRITEDATA, &body);
        EXPECT_EQ(curl_easy_perform(handle), CURLE_OK);
        curl_easy_cleanup(handle);
        const std::string request = server.TakeRequest();
        EXPECT_NE(request.find("\r\nUser-Agent: Mavren\r\n"), std::string::npos) << request;
    }
    EXPECT_EQ(body, "ok");
}

}  // namespace
