#include "upload/secret_service_calls.h"

#include <libsecret/secret.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

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

// A cancellable that cancels itself when a call takes longer than the store may take.
class Deadline {
  public:
    Deadline() : cancellable(g_cancellable_new()) {
        watcher = std::thread([this] {
            std::unique_lock lock(mutex);
            if (!ended.wait_for(lock, std::chrono::seconds(kSecretStoreWaitSeconds),
                                [this] { return done; })) {
                g_cancellable_cancel(cancellable);
            }
        });
    }
    ~Deadline() {
        {
            const std::lock_guard lock(mutex);
            done = true;
        }
        ended.notify_one();
        watcher.join();
        g_object_unref(cancellable);
    }
    Deadline(const Deadline&) = delete;
    Deadline& operator=(const Deadline&) = delete;

    GCancellable* Get() const { return cancellable; }

  private:
    GCancellable* cancellable;
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
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

class LibsecretCalls final : public SecretServiceCalls {
  public:
    bool Available() const override {
        const Deadline deadline;
        GError* error = nullptr;
        SecretService* service =
            secret_service_get_sync(SECRET_SERVICE_OPEN_SESSION, deadline.Get(), &error);
        if (service == nullptr) {
            Take(error, "");
            return false;
        }
        g_object_unref(service);
        return true;
    }

    bool Store(const std::string& profile, const std::string& settings, const std::string& password,
               std::string& problem) const override {
        const auto attributes = Attributes(profile, settings);
        const std::string label = "Mavren FTP profile '" + profile + "'";
        const Deadline deadline;
        GError* error = nullptr;
        if (!secret_password_storev_sync(Schema(), attributes.get(), SECRET_COLLECTION_DEFAULT,
                                         label.c_str(), password.c_str(), deadline.Get(), &error)) {
            problem = Take(error, "the secret store did not take the password");
            return false;
        }
        return true;
    }

    bool LookUp(const std::string& profile, const std::string& settings, std::string& password,
                std::string& problem) const override {
        const auto attributes = Attributes(profile, settings);
        const Deadline deadline;
        GError* error = nullptr;
        gchar* found =
            secret_password_lookupv_sync(Schema(), attributes.get(), deadline.Get(), &error);
        if (found == nullptr) {
            problem = Take(error, "the secret store holds no password for it");
            return false;
        }
        password = found;
        secret_password_free(found);
        return true;
    }

    bool Clear(const std::string& profile, const std::string& settings) const override {
        const auto attributes = Attributes(profile, settings);
        const Deadline deadline;
        GError* error = nullptr;
        secret_password_clearv_sync(Schema(), attributes.get(), deadline.Get(), &error);
        // Nothing to clear is no failure.
        const bool cleared = error == nullptr;
        Take(error, "");
        return cleared;
    }
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const SecretServiceCalls* MavrenSecretService() {
    static const LibsecretCalls calls;
    return &calls;
}
