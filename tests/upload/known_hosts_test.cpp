// Reading known_hosts as OpenSSH does: host patterns, hashed names and damaged lines.

#include "upload/known_hosts.h"

#include <gtest/gtest.h>

#include "support/run_program.h"
#include "support/test_support.h"

namespace {

// A key blob of type ed25519, as a line of known_hosts holds it in base64.
const char* const kKey = "AAAAC3NzaC1lZDI1NTE5AAAAIBtGiBCQnkQeZpN3o7xuv0N0QH0eDSa4cp0hd0QwGJpv";
const char* const kOtherKey =
    "AAAAC3NzaC1lZDI1NTE5AAAAIOMqqnkVzrm0SdG6UOoqKLsabgH5C9okWi0dh2l9GKJl";

std::string Blob(const char* base64) {
    const KnownHosts hosts = ParseKnownHosts(std::string("x ssh-ed25519 ") + base64);
    return hosts.lines.empty() ? "" : hosts.lines[0].key;
}

TEST(KnownHosts, NamesAreMatchedAsOpenSshMatchesThem) {
    const struct {
        const char* names;
        const char* host;
        bool named;
    } cases[] = {
        {"ssh.example.com", "ssh.example.com", true},
        {"SSH.Example.COM", "ssh.example.com", true},
        {"a.example.com,ssh.example.com", "ssh.example.com", true},
        {"*.example.com", "ssh.example.com", true},
        {"ssh?.example.com", "ssh1.example.com", true},
        {"ssh?.example.com", "ssh.example.com", false},
        {"*.example.com,!ssh.example.com", "ssh.example.com", false},
        {"!ssh.example.com,*", "ssh.example.com", false},
        {"ssh.example.com", "[ssh.example.com]:2222", false},
        {"[ssh.example.com]:2222", "[ssh.example.com]:2222", true},
        {"[ssh.example.com]:2222", "ssh.example.com", false},
        {"[*.example.com]:*", "[ssh.example.com]:2222", true},
        {"ssh.example.com.evil", "ssh.example.com", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NamesHost(c.names, c.host), c.named) << c.names << " / " << c.host;
    }
}

TEST(KnownHosts, HashedNamesFromSshKeygenAreFound) {
    TempDir folder;
    const std::string path = folder / "known_hosts";
    WriteFileBytes(path, std::string("[127.0.0.1]:2222 ssh-ed25519 ") + kKey + "\n");
    const ProgramRun run = RunProgram("/usr/bin/ssh-keygen", {"-H", "-f", path});
    ASSERT_EQ(run.status, 0) << run.err;
    const KnownHosts hosts = ParseKnownHosts(ReadFileBytes(path));
    ASSERT_EQ(hosts.lines.size(), 1u);
    ASSERT_EQ(hosts.lines[0].names.rfind("|1|", 0), 0u) << hosts.lines[0].names;
    EXPECT_EQ(MatchHostKey(hosts, "[127.0.0.1]:2222", Blob(kKey)), HostKeyMatch::Known);
    EXPECT_EQ(MatchHostKey(hosts, "[127.0.0.1]:2222", Blob(kOtherKey)), HostKeyMatch::Changed);
    EXPECT_EQ(MatchHostKey(hosts, "127.0.0.1", Blob(kKey)), HostKeyMatch::Unknown);
}

TEST(KnownHosts, EveryReadableLineCountsWhateverComesBefore) {
    std::string many;  // one line of about 7 KB that names 400 hosts
    for (int i = 0; i < 400; ++i) {
        many += (i == 0 ? "" : ",") + std::string("host") + std::to_string(i) + ".example.org";
    }
    const std::string text = std::string("# comment\n") + "damaged line\n" + many +
                             " ssh-ed25519 " + kOtherKey + "\n" +
                             "\n"
                             "host.example ssh-ed25519 AAAA!!!!\n"
                             "host.example ssh-rsa " +
                             kKey + "\n" +  // a blob of another type than the line says
                             "@revoked bad.example ssh-ed25519 " + kKey + "\n" +
                             "@cert-authority *.example ssh-ed25519 " + kOtherKey + "\n" +
                             "host.example ssh-ed25519 " + kKey + " a comment\r\n";
    const KnownHosts hosts = ParseKnownHosts(text);
    EXPECT_EQ(hosts.unreadable, (std::vector<int>{2, 5, 6}));
    EXPECT_EQ(MatchHostKey(hosts, "host.example", Blob(kKey)), HostKeyMatch::Known);
    EXPECT_EQ(MatchHostKey(hosts, "host.example", Blob(kOtherKey)), HostKeyMatch::Changed);
    EXPECT_EQ(MatchHostKey(hosts, "host399.example.org", Blob(kOtherKey)), HostKeyMatch::Known);
    EXPECT_EQ(MatchHostKey(hosts, "host399.example.org", Blob(kKey)), HostKeyMatch::Changed);
    EXPECT_EQ(MatchHostKey(hosts, "bad.example", Blob(kKey)), HostKeyMatch::Revoked);
    EXPECT_EQ(MatchHostKey(hosts, "other.example", Blob(kKey)), HostKeyMatch::Unknown)
        << "a certificate authority's line names no host key";
    EXPECT_EQ(UnreadableLinesText("/h/.ssh/known_hosts", hosts.unreadable),
              "Lines 2, 5 and 6 of /h/.ssh/known_hosts cannot be read; they are skipped.");
}

}  // namespace
