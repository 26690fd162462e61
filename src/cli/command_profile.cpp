#include <algorithm>
#include <cstdio>
#include <iostream>
#include <vector>

#include "cli/cli.h"
#include "cli/command_options.h"
#include "cli/upload_limits.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "upload/ftp_address.h"
#include "upload/ftp_profiles.h"
#include "upload/s3_profile_fields.h"

namespace {

int Fail(const std::string& text, int status) {
    std::fprintf(stderr, "mavren-cli profile: %s\n", text.c_str());
    return status;
}

// The first line of standard input, without its line end.
std::string ReadPasswordLine() {
    std::string password;
    std::getline(std::cin, password);
    if (!password.empty() && password.back() == '\r') {
        password.pop_back();
    }
    return password;
}

// Applies the options given to profile. Returns kExitOk, or the status after saying
// what is wrong with them.
int ApplyOptions(const Command& command, const CommandOptions& options, FtpProfile& profile) {
    if (options.Has("--password") && options.flags.count("--password-stdin") != 0) {
        return UsageError(command, "give --password or --password-stdin, not both");
    }
    const std::pair<const char*, std::string FtpProfile::*> fields[] = {
        {"--name", &FtpProfile::name},           {"--host", &FtpProfile::host},
        {"--user", &FtpProfile::username},       {"--password", &FtpProfile::password},
        {"--directory", &FtpProfile::directory}, {"--region", &FtpProfile::region},
    };
    for (const auto& [option, field] : fields) {
        if (const auto it = options.values.find(option); it != options.values.end()) {
            profile.*field = it->second;
        }
    }
    if (const auto it = options.values.find("--protocol"); it != options.values.end()) {
        if (it->second.empty() || !ParseFtpProtocol(it->second, profile.protocol)) {
            return UsageError(command, "--protocol takes ftp, ftps, sftp, s3 or s3-http");
        }
    }
    if (options.Has("--region") && !IsObjectStorage(profile.protocol)) {
        return UsageError(command, "--region is for the s3 and s3-http protocols");
    }
    if (const std::string problem =
            ReadUploadLimits(options, profile.connections, profile.rateLimit);
        !problem.empty()) {
        return UsageError(command, problem);
    }
    if (options.flags.count("--password-stdin") != 0) {
        profile.password = ReadPasswordLine();
    }
    return kExitOk;
}

// Writes what changed in the list; kExitOk, or kExitFileError after saying why not.
int Save(FtpProfileList& list, const std::string& name) {
    std::string refused;
    std::string note;
    if (const Result saved = SaveFtpProfiles(list, -1, &refused, &note); !saved.ok()) {
        TellSettingsWriteFailure(saved);
        return Fail("'" + name + "' could not be stored in the settings", kExitFileError);
    }
    if (!refused.empty()) {
        refused.pop_back();  // its line end
        return Fail(refused, kExitFileError);
    }
    std::printf("Saved FTP profile '%s'.\n", name.c_str());
    if (!note.empty()) {
        ShowMessageBox(note, MB_OK | MB_ICONINFORMATION);
    }
    return kExitOk;
}

// Checks a profile as the profile window does before saving it, and what the store
// needs of its name; kExitOk or the status after saying what is wrong.
int CheckProfile(const FtpProfile& profile, const FtpProfileList& list, int self) {
    FtpProfileField firstMissing;
    const std::string missing = MissingFtpProfileFields(profile, firstMissing);
    if (!missing.empty()) {
        // The profile window's way out is a button; here it is the command line.
        ShowMessageBox(ReplaceAll(missing, "Fill in the missing fields or press \"Cancel\".",
                                  "Give them on the command line (see mavren-cli profile "
                                  "--help)."),
                       MB_OK | MB_ICONSTOP);
        return kExitUsage;
    }
    const std::string nameProblem = FtpProfileNameProblem(profile.name);
    if (!nameProblem.empty()) {
        return Fail(nameProblem, kExitUsage);
    }
    FtpProfileField field;
    if (const std::string problem = S3ProfileProblem(profile, field); !problem.empty()) {
        return Fail(problem, kExitUsage);
    }
    if (const Expected<FtpAddress> address =
            ParseFtpHost(profile.host, DefaultPort(profile.protocol));
        !address.ok()) {
        return Fail(address.failure().text(), kExitUsage);
    }
    const int other = list.Find(profile.name);
    if (other >= 0 && other != self) {
        return Fail("there already is an FTP profile called '" +
                        list.profiles[static_cast<std::size_t>(other)].name + "'",
                    kExitFileError);
    }
    return kExitOk;
}

// The index of the profile named by the one argument after the action, or the status
// after saying why there is none.
int FindNamedProfile(const Command& command, const CommandOptions& options,
                     const FtpProfileList& list, int& index) {
    if (options.positional.size() != 2) {
        return UsageError(command, options.positional.size() < 2 ? "no profile name given"
                                                                 : "too many arguments");
    }
    index = list.Find(options.positional[1]);
    if (index < 0) {
        return Fail("there is no FTP profile called '" + options.positional[1] + "'", kExitUsage);
    }
    return kExitOk;
}

// The region an S3 profile's uploads sign for; nothing for the other protocols.
std::string RegionText(const FtpProfile& profile) {
    if (!IsObjectStorage(profile.protocol)) {
        return {};
    }
    return profile.region.empty() ? std::string(kDefaultS3Region) : profile.region;
}

int ListProfiles(const FtpProfileList& list) {
    if (list.count == 0) {
        std::fprintf(stderr,
                     "No FTP profiles. Create one with: mavren-cli profile add NAME --host HOST "
                     "--user USER\n");
        return kExitOk;
    }
    struct Column {
        const char* title;
        std::string (*text)(const FtpProfile& profile);
        std::size_t width;
    };
    std::vector<Column> columns = {
        {"Profile Name", [](const FtpProfile& p) { return p.name; }, 0},
        {"Protocol", [](const FtpProfile& p) { return std::string(FtpProtocolKey(p.protocol)); },
         0},
        {"Host", [](const FtpProfile& p) { return p.host; }, 0},
        {"Username", [](const FtpProfile& p) { return p.username; }, 0},
        {"Directory", [](const FtpProfile& p) { return p.directory; }, 0},
        {"Password",
         [](const FtpProfile& p) { return std::string(FtpPasswordPlaceName(p.passwordPlace)); },
         0}};
    // Columns for the region and the upload settings only once a profile needs them, so
    // the usual table stays narrow.
    const FtpProfile defaults;
    bool region = false;
    bool connections = false;
    bool rateLimit = false;
    for (int i = 0; i < list.count; ++i) {
        const FtpProfile& profile = list.profiles[static_cast<std::size_t>(i)];
        region = region || IsObjectStorage(profile.protocol);
        connections = connections || profile.connections != defaults.connections;
        rateLimit = rateLimit || profile.rateLimit != defaults.rateLimit;
    }
    if (region) {
        columns.insert(columns.begin() + 2, {"Region", RegionText, 0});
    }
    if (connections) {
        columns.push_back(
            {"Connections", [](const FtpProfile& p) { return std::to_string(p.connections); }, 0});
    }
    if (rateLimit) {
        columns.push_back(
            {"Rate Limit", [](const FtpProfile& p) { return TransferRateText(p.rateLimit); }, 0});
    }
    for (Column& column : columns) {
        column.width = std::string(column.title).size();
        for (int i = 0; i < list.count; ++i) {
            column.width = std::max(column.width,
                                    column.text(list.profiles[static_cast<std::size_t>(i)]).size());
        }
    }
    auto row = [&columns](auto text) {
        std::string line;
        for (const Column& column : columns) {
            const std::string cell = text(column);
            line += cell + std::string(column.width - std::min(column.width, cell.size()) + 2, ' ');
        }
        line.erase(line.find_last_not_of(' ') + 1);
        std::printf("%s\n", line.c_str());
    };
    row([](const Column& column) { return std::string(column.title); });
    for (int i = 0; i < list.count; ++i) {
        const FtpProfile& profile = list.profiles[static_cast<std::size_t>(i)];
        row([&profile](const Column& column) { return column.text(profile); });
    }
    return kExitOk;
}

int AddProfile(const Command& command, const CommandOptions& options, FtpProfileList& list) {
    if (options.positional.size() != 2) {
        return UsageError(command, options.positional.size() < 2 ? "no profile name given"
                                                                 : "too many arguments");
    }
    for (const char* option : {"--name", "--forget-certificate"}) {
        if (options.Has(option) || options.flags.count(option) != 0) {
            return UsageError(command, std::string(option) + " is for profile edit");
        }
    }
    if (list.count >= MaxFtpProfiles) {
        ShowMessageBox(TooManyFtpProfilesText(), MB_OK | MB_ICONSTOP);
        return kExitFileError;
    }
    FtpProfile profile;
    profile.name = options.positional[1];
    if (const int status = ApplyOptions(command, options, profile); status != kExitOk) {
        return status;
    }
    if (const int status = CheckProfile(profile, list, -1); status != kExitOk) {
        return status;
    }
    list.Add(profile);
    return Save(list, profile.name);
}

int EditProfile(const Command& command, const CommandOptions& options, FtpProfileList& list) {
    int index = -1;
    if (const int status = FindNamedProfile(command, options, list, index); status != kExitOk) {
        return status;
    }
    FtpProfile profile = list.profiles[static_cast<std::size_t>(index)];
    if (const int status = ApplyOptions(command, options, profile); status != kExitOk) {
        return status;
    }
    if (const int status = CheckProfile(profile, list, index); status != kExitOk) {
        return status;
    }
    if (options.flags.count("--forget-certificate") != 0) {
        // Before a rename, which would take the pin along with the old name anyway.
        const std::string& name = list.profiles[static_cast<std::size_t>(index)].name;
        if (FtpProfileCertificate(name).empty()) {
            std::printf("FTP profile '%s' trusts no certificate of its own.\n", name.c_str());
        } else if (const Expected<bool> forgotten = ForgetFtpProfileCertificate(name);
                   forgotten.ok() && *forgotten) {
            std::printf(
                "Forgot the certificate trusted for FTP profile '%s'; the next upload "
                "asks about the server's certificate.\n",
                name.c_str());
        } else {
            if (!forgotten.ok()) {
                TellSettingsWriteFailure(forgotten.failure());
            }
            return Fail("the certificate '" + name + "' trusts could not be forgotten",
                        kExitFileError);
        }
        if (options.values.empty() && options.flags.size() == 1) {
            return kExitOk;
        }
    }
    // Only the fields given change in the store, so edits running at once all hold.
    list.Change(index, profile);
    return Save(list, profile.name);
}

int DeleteProfile(const Command& command, const CommandOptions& options, FtpProfileList& list) {
    int index = -1;
    if (const int status = FindNamedProfile(command, options, list, index); status != kExitOk) {
        return status;
    }
    const std::string name = list.profiles[static_cast<std::size_t>(index)].name;
    const std::string question =
        "Are you sure you want to delete\nthe FTP profile called '" + name + "'?";
    if (ShowMessageBox(question, MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return Fail("'" + name + "' was not deleted", kExitFileError);
    }
    if (!DeleteFtpProfileKey(name)) {
        return Fail("'" + name + "' could not be removed from the settings", kExitFileError);
    }
    list.Remove(index);
    std::printf("Deleted FTP profile '%s'.\n", name.c_str());
    return kExitOk;
}

}  // namespace

int RunProfileCommand(const CommandLine& line) {
    const Command& command = FindCommand("profile");
    CommandOptions options;
    std::string problem;
    if (!ParseCommandOptions(line.arguments,
                             {"--name", "--host", "--user", "--password", "--directory",
                              "--protocol", "--region", "--connections", "--limit-rate"},
                             {"--password-stdin", "--forget-certificate"}, options, problem)) {
        return UsageError(command, problem);
    }
    if (options.positional.empty()) {
        return UsageError(command, "say list, add, edit or delete");
    }
    const std::string action = options.positional[0];
    const bool takesFields = action == "add" || action == "edit";
    if (!takesFields && (!options.values.empty() || !options.flags.empty())) {
        return UsageError(command, "profile " + action + " takes no options");
    }
    // A settings file that cannot be read must not pass for one without profiles.
    if (!CheckSettings()) {
        return kExitFileError;
    }
    FtpProfileList list;
    std::string lastProfile;
    // Listing says where passwords are kept, without asking the secret store for them.
    LoadFtpProfiles(list, lastProfile, action != "list");
    if (const std::string leftOut = LeftOutProfilesText(list); !leftOut.empty()) {
        ShowMessageBox(leftOut, MB_OK | MB_ICONEXCLAMATION);
    }
    if (action == "list") {
        if (options.positional.size() != 1) {
            return UsageError(command, "profile list takes no arguments");
        }
        return ListProfiles(list);
    }
    if (action == "add") {
        return AddProfile(command, options, list);
    }
    if (action == "edit") {
        return EditProfile(command, options, list);
    }
    if (action == "delete") {
        return DeleteProfile(command, options, list);
    }
    return UsageError(command, "unknown action '" + action + "'; say list, add, edit or delete");
}
