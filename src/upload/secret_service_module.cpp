#include "upload/secret_service_calls.h"

#include <libsecret/secret.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <thread>

#include "platform/mutex.h"

namespace {

const SecretSchema* Schema() {
    static const SecretSchema schema = [] {
        SecretSchema made{};
        made.name = "org.orvashi.Mavren.FtpPassword";
        made.flags = SECRET_SCHEMA_NONE;
        made.attributes[0].name = "profile";
        made.attributes[0].type = SECRET_SCHEMA_ATTRIBUTE_STRING;
        made.attributes[1].name = "settings";
        made.attributes[1].type = SECRET_SCHEMA_ATTRIBUTE_STRING;
        return made;
    }();
    return &schema;
}

struct HashTableFree {
    void operator()(GHashTable* table) const { g_hash_table_unref(table); }
};

// The attributes that find a profile's item. The texts must outlive the table.
std::unique_ptr<GHashTable, HashTableFree> Attributes(const std::string& name,
                                                      const std::string& settings) {
    std::unique_ptr<GHashTable, HashTableFree> table(g_hash_table_new(g_str_hash, g_str_equal));
    g_hash_table_insert(table.get(), const_cast<char*>("profile"), const_cast<char*>(name.c_str()));
    g_hash_table_insert(table.get(), const_cast<char*>("settings"),
                        const_cast<char*>(settings.c_str()));
    return table;
}

// A cancellable that cancels itself when a call takes longer than seconds.
class Deadline {
  public:
    explicit Deadline(int seconds) : cancellable(g_cancellable_new()) {
        watcher = std::thread([this, seconds] {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
            const MutexLock lock(mutex);
            while (!done) {
                if (!mutex.WaitUntil(ended, deadline)) {
                    if (!done) {
                        expired = true;
                        g_cancellable_cancel(cancellable);
                    }
                    return;
                }
            }
        });
    }
    ~Deadline() {
        {
            const MutexLock lock(mutex);
            done = true;
        }
        ended.notify_one();
        watcher.join();
        g_object_unref(cancellable);
    }
    Deadline(const Deadline&) = delete;
    Deadline& operator=(const Deadline&) = delete;

    GCancellable* Get() const { return cancellable; }
    // True once the time ran out (and the call was cancelled).
    bool Expired() const { return expired; }

  private:
    GCancellable* cancellable;
    Mutex mutex;
    std::condition_variable ended;
    bool done GUARDED_BY(mutex) = false;
    std::atomic<bool> expired = false;
    std::thread watcher;
};

// The error's text, freeing it; the fallback when there is none.
std::string Take(GError* error, const char* fallback) {
    if (error == nullptr) {
        return fallback;
    }
    std::string text = error->message != nullptr ? error->message : fallback;
    g_error_free(error);
    return text;
}

// The failure of a call that did not succeed: Network when its deadline ran out, else
// Other with the store's reason. Frees error.
Result Ended(const Deadline& deadline, int seconds, GError* error, const char* fallback) {
    std::string problem = Take(error, fallback);
    if (!deadline.Expired()) {
        return Result::Failure(std::move(problem));
    }
    return Result::Failure(
        "the secret store did not answer within " + std::to_string(seconds) + " seconds",
        Result::Kind::Network);
}

// Ok when something on the session bus answers as the secret store within
// kSecretStoreAnswerSeconds. A store that is busy with a prompt still answers this, so
// only a store that answers nothing at all runs out of time here.
Result Answering() {
    const Deadline deadline(kSecretStoreAnswerSeconds);
    GError* error = nullptr;
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, deadline.Get(), &error);
    if (bus == nullptr) {
        return Ended(deadline, kSecretStoreAnswerSeconds, error, "no session bus");
    }
    GVariant* reply = g_dbus_connection_call_sync(
        bus, "org.freedesktop.secrets", "/org/freedesktop/secrets", "org.freedesktop.DBus.Peer",
        "Ping", nullptr, nullptr, G_DBUS_CALL_FLAGS_NONE, -1, deadline.Get(), &error);
    g_object_unref(bus);
    if (reply == nullptr) {
        return Ended(deadline, kSecretStoreAnswerSeconds, error, "no secret store answers");
    }
    g_variant_unref(reply);
    return Result::Ok();
}

class LibsecretCalls final : public SecretServiceCalls {
  public:
    Result Available() const override {
        if (Result answer = Answering(); !answer.ok()) {
            return answer;
        }
        const Deadline deadline(kSecretStorePromptSeconds);
        GError* error = nullptr;
        SecretService* service =
            secret_service_get_sync(SECRET_SERVICE_OPEN_SESSION, deadline.Get(), &error);
        if (service == nullptr) {
            return Ended(deadline, kSecretStorePromptSeconds, error,
                         "the secret store opens no session");
        }
        g_object_unref(service);
        return Result::Ok();
    }

    Result Store(const std::string& profile, const std::string& settings,
                 const std::string& password) const override {
        if (Result answer = Answering(); !answer.ok()) {
            return answer;
        }
        const auto attributes = Attributes(profile, settings);
        const std::string label = "Mavren FTP profile '" + profile + "'";
        const Deadline deadline(kSecretStorePromptSeconds);
        GError* error = nullptr;
        if (!secret_password_storev_sync(Schema(), attributes.get(), SECRET_COLLECTION_DEFAULT,
                                         label.c_str(), password.c_str(), deadline.Get(), &error)) {
            return Ended(deadline, kSecretStorePromptSeconds, error,
                         "the secret store did not take the password");
        }
        return Result::Ok();
    }

    Expected<std::string> LookUp(const std::string& profile,
                                 const std::string& settings) const override {
        if (Result answer = Answering(); !answer.ok()) {
            return answer;
        }
        const auto attributes = Attributes(profile, settings);
        const Deadline deadline(kSecretStorePromptSeconds);
        GError* error = nullptr;
        gchar* found =
            secret_password_lookupv_sync(Schema(), attributes.get(), deadline.Get(), &error);
        if (found == nullptr) {
            return Ended(deadline, kSecretStorePromptSeconds, error,
                         "the secret store holds no password for it");
        }
        std::string password = found;
        secret_password_free(found);
        return password;
    }

    Result Clear(const std::string& profile, const std::string& settings) const override {
        if (Result answer = Answering(); !answer.ok()) {
            return answer;
        }
        const auto attributes = Attributes(profile, settings);
        const Deadline deadline(kSecretStorePromptSeconds);
        GError* error = nullptr;
        // Nothing to clear is no failure.
        secret_password_clearv_sync(Schema(), attributes.get(), deadline.Get(), &error);
        if (error != nullptr || deadline.Expired()) {
            return Ended(deadline, kSecretStorePromptSeconds, error,
                         "the secret store did not remove the password");
        }
        return Result::Ok();
    }
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const SecretServiceCalls* MavrenSecretService() {
    static const LibsecretCalls calls;
    return &calls;
}
