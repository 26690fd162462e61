#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "cli/cli.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "platform/registry_store.h"

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"show", "mavren-cli show PROGRAM.mav", "print the summary of a program",
         "Prints the settings of the program, section by section, as the main window\n"
         "shows them.\n",
         RunShow},
        {"validate", "mavren-cli validate PROGRAM.mav", "check whether a program can be generated",
         "Prints why the program cannot be generated, one reason a line, then warnings\n"
         "worth knowing before generating: a source folder that is missing or holds no\n"
         "matching file, and Index-Thumbnails-Across/-Down set while the layout ignores\n"
         "them. Exit status 0 when it is valid (warnings or not), 4 when it is not.\n",
         RunValidate},
        {"set", "mavren-cli set PROGRAM.mav KEY=VALUE ...", "change settings of a program",
         "Sets each KEY (a key name as in the program file, in any letter case) to VALUE\n"
         "and saves the program. Yes/No keys take yes or no (any letter case), number\n"
         "keys a whole number within the limits validation applies (Thumbnail-Size 10 to\n"
         "1000, Index-Thumbnails-Across and -Down 1 to 1000, Photo-Web-Size 320 to 8000\n"
         "or 0 for none, Photo-Web-Quality 10 to 100, Photo-Order 0 by name, 1 by date\n"
         "taken oldest first, 2 newest first), dates the form\n"
         "MM/DD/YY HH:MM:SS or Never. Folders (Source-Dir, Target-Dir,\n"
         "Misc-GIF-Thumbnail-Dir) are stored as absolute paths. Nothing is saved when a\n"
         "key is unknown or a value does not fit its key.\n"
         "\n"
         "example: mavren-cli set trip.mav Thumbnail-Size=150 \"Index-Page-Title=My trip\"\n",
         RunSet},
        {"generate", "mavren-cli generate PROGRAM.mav [--jobs N] [--quiet] [--yes|--no]",
         "generate the site of a program",
         "Makes the site the program describes: copies the pictures into the target\n"
         "folder, makes the thumbnails and writes the index and content pages, then\n"
         "removes the pages and thumbnails earlier runs wrote that the site no longer\n"
         "has. Shows the progress (a bar on a terminal, plain lines otherwise; only\n"
         "messages with --quiet) and ends with a line of what was done, stores when the\n"
         "site was generated in the program (its Last-Generated line alone) and prints\n"
         "the path of the start page. Pages it would replace that lack Mavren's mark are\n"
         "listed in one question first; boilerplates and sources over 16 MB are refused.\n"
         "A picture whose size cannot be read is asked about at a terminal; without one,\n"
         "or with --yes, it is listed by its name without a thumbnail and named in a\n"
         "status line; --no ends the run there.\n"
         "\n"
         "  --jobs N   make thumbnails on N threads (default: one per core)\n"
         "  --quiet    show nothing but messages, the closing line and the start page\n"
         "\n"
         "Ctrl-C stops the run as the Stop button does; a second Ctrl-C quits at once.\n"
         "Exit status: 0 generated, 1 ended after a message (a failed copy or page, or\n"
         "No to a question), 2 no source files, 3 no thumbnail folder, 4 not a valid\n"
         "program, 130 stopped.\n",
         RunGenerate},
        {"new",
         "mavren-cli new --source DIR [--type images|text|html] [--target DIR] [--folder DIR] "
         "[--name NAME] [--theme NAME] [--albums]",
         "make a new program for a folder",
         "Makes a program from the default program for the source folder and prints its\n"
         "path. The site goes to --target and the program file to --folder; a missing\n"
         "folder is made, with the folders above it, after one question (--yes makes it\n"
         "without asking). Unless given, neither goes into the source folder: the site\n"
         "gets a folder of its own beside it (trip: \"trip site\", or \"trip site 2\" when\n"
         "that is taken by anything but an empty folder), and the program file goes\n"
         "beside the source folder (for / and the home folder: into the home folder).\n"
         "The name is the folder's own name (trip.mav, then trip00.mav, trip01.mav ...)\n"
         "unless --name gives one. An existing program file is never replaced.\n"
         "The index is titled with the source folder's own name and shows pages of 4 by 5\n"
         "thumbnails. A picture program shows web-size copies (Photo-Web-Size=1600),\n"
         "takes captions from the camera and makes thumbnails of GIFs' first frames;\n"
         "change that with 'mavren-cli set'.\n"
         "\n"
         "  --type     the kind of source files: images (*.jpg;*.jpeg;*.png;*.gif;\n"
         "             *.heic;*.heif, the default), text (*.txt) or html (*.htm;*.html)\n"
         "  --theme    the look of the pages (see mavren-cli themes; default light,\n"
         "             none for the classic pages)\n"
         "  --albums   make each subfolder that holds pictures, directly or further\n"
         "             down, an album with its own index pages, titled with its path\n"
         "             (Include-Subfolders=Yes, Index-Page-Title=%A); images only.\n"
         "             A source folder whose pictures are all in subfolders gets\n"
         "             albums without it, and new says so\n",
         RunNew},
        {"themes", "mavren-cli themes", "list the installed themes",
         "Lists the installed themes, one a line with what it looks like. A theme gives\n"
         "the pages a look that works on phones and large screens alike; apply one\n"
         "with 'mavren-cli theme' or 'mavren-cli new --theme'.\n",
         RunThemes},
        {"theme", "mavren-cli theme PROGRAM.mav NAME", "give a program's pages a theme",
         "Copies the files of the theme NAME into the folder beside the program named\n"
         "after it (trip.mav: trip-theme) and points Index-Boilerplate and\n"
         "Content-Boilerplate at the copies, which you may edit. A copy you changed is\n"
         "replaced only when you answer Yes (or give --yes); No changes nothing and the\n"
         "exit status is 1. NAME none empties both keys: the classic pages. Generate the\n"
         "site again to see the new look.\n",
         RunTheme},
        {"open", "mavren-cli open URL|FILE", "open a page in the browser",
         "Opens the URL or file in the browser Mavren uses for Test and Help: the\n"
         "program stored as URLHandler, or the desktop's default through xdg-open.\n"
         "When it cannot be started you are asked whether to locate another browser;\n"
         "the program you name is remembered for next time.\n"
         "Exit status 0 when the browser started, 1 when it did not (or the settings\n"
         "cannot be read).\n",
         RunOpen},
        {"upload",
         "mavren-cli upload PROGRAM.mav [--profile NAME] [--delete [--max-delete N|all]] "
         "[--dry-run] [--connections N] [--limit-rate RATE] [--full-check] [--yes|--no]",
         "upload the program's target folder over FTP, FTPS or SFTP",
         "Sends the program's target folder, with its subfolders, to the server of the\n"
         "profile NAME (see mavren-cli profile), into the profile's directory, over the\n"
         "profile's protocol. A file goes when it is new or changed since the last\n"
         "upload, or the server's copy has another size than was sent; without a\n"
         "record of the last upload, files whose copy on the server has the same size\n"
         "and is not older are skipped. A file whose connection drops is tried again\n"
         "(3 times), and one over 1 MB goes on where it stopped. Without --profile\n"
         "the profile used last is taken;\n"
         "each upload records the profile it used. Nothing outside the folder goes:\n"
         "linked folders are not entered, and links out of it, names with control\n"
         "characters, Mavren's temporary files, pipes and broken links are left out,\n"
         "each with a status line.\n"
         "\n"
         "  --delete   afterwards, delete what the server has below the profile's\n"
         "             directory and the target folder no longer has (files, and\n"
         "             folders with everything in them); they are listed and you are\n"
         "             asked first. Names beginning with a dot (.htaccess) stay, and\n"
         "             so do the server's copies of what was left out, names the site\n"
         "             has in another letter case, and whatever lies behind a link on\n"
         "             the server. Nothing is deleted when a file could not be sent or\n"
         "             a listing did not come back whole, nor more than 50 files or a\n"
         "             quarter of the files the server has there: the upload then\n"
         "             lists them and ends with exit status 1.\n"
         "  --max-delete N|all\n"
         "             with --delete, allow up to N files to be deleted (all: any number)\n"
         "  --dry-run  change nothing: print what would be sent, skipped and deleted,\n"
         "             one \"send\", \"skip\" or \"delete\" line a file, on standard output,\n"
         "             grouped under a \"folder\" line for each album\n"
         "  --connections N\n"
         "             send up to N files at once, 1 to 16 (default: the profile's, 4)\n"
         "  --limit-rate RATE\n"
         "             keep the whole upload to RATE bytes a second; K, M or G after the\n"
         "             number count 1024, 1024*1024 or 1024*1024*1024 bytes (500K, 2M),\n"
         "             0 is no limit (default: the profile's, none)\n"
         "  --full-check\n"
         "             ignore the record of the last upload, which Mavren keeps beside\n"
         "             its settings file, and compare every file with the server's listing\n"
         "\n"
         "A missing remote directory is created when you answer Yes (or give --yes).\n"
         "A server not trusted yet (an FTPS certificate that the system does not\n"
         "trust, an SFTP host key not in ~/.ssh/known_hosts) is shown with its\n"
         "fingerprint and you are asked whether to trust it; --yes answers that too,\n"
         "so check the fingerprint with a first upload at the terminal. A certificate\n"
         "other than the one trusted before, or a host key other than the recorded\n"
         "one, is refused even with --yes (see profile edit --forget-certificate).\n"
         "Progress goes to standard error, as a bar on a terminal. Ctrl-C stops the\n"
         "upload at once, leaving the part of the current file the server received;\n"
         "a second Ctrl-C ends the program without waiting.\n"
         "Exit status 0 when the upload finished, 1 when it ended with an error (or a\n"
         "file the server refused), 130 when it was stopped.\n",
         RunUploadCommand},
        {"profile", "mavren-cli profile list|add|edit|delete [NAME] [OPTIONS]",
         "list, add, change or delete FTP profiles",
         "  profile list\n"
         "      names, protocols, hosts, user names, directories and where each\n"
         "      password is kept: secret store, settings file or none (never passwords);\n"
         "      regions once a profile uses S3, connections and rate limits once a\n"
         "      profile sets them\n"
         "  profile add NAME --host HOST --user USER [--password PASSWORD |\n"
         "                   --password-stdin] [--directory DIRECTORY]\n"
         "                   [--protocol ftp|ftps|sftp|s3|s3-http] [--region REGION]\n"
         "                   [--connections N] [--limit-rate RATE]\n"
         "  profile edit NAME [--name NEW-NAME] [--host HOST] [--user USER]\n"
         "                   [--password PASSWORD | --password-stdin] [--directory DIRECTORY]\n"
         "                   [--protocol ftp|ftps|sftp|s3|s3-http] [--region REGION]\n"
         "                   [--connections N] [--limit-rate RATE] [--forget-certificate]\n"
         "  profile delete NAME      (asks first; --yes answers for you)\n"
         "\n"
         "--protocol: ftp (plain FTP, the default), ftps (FTP with TLS: AUTH TLS, the\n"
         "password and the files encrypted; a server without TLS is refused), sftp\n"
         "(SSH; without a password your SSH agent or key in ~/.ssh logs in), s3\n"
         "(S3-compatible storage over HTTPS: Amazon S3, Cloudflare R2, Backblaze B2,\n"
         "Wasabi, DigitalOcean Spaces, Ceph, MinIO) or s3-http (the same over plain\n"
         "HTTP, for a gateway on your machine or network).\n"
         "HOST may name a port: ftp.example.com:2121; the default is 21 for ftp and\n"
         "ftps, 22 for sftp. DIRECTORY is the folder on the server to upload into;\n"
         "empty for the folder you log in to.\n"
         "For s3 and s3-http, HOST is the endpoint, without https://\n"
         "(s3.eu-west-1.amazonaws.com, 127.0.0.1:7480; the default port is 443 for s3,\n"
         "80 for s3-http), USER the access key ID, the password the secret access key,\n"
         "and DIRECTORY the bucket, then the prefix the files go under if any:\n"
         "BUCKET or BUCKET/PREFIX (my-site/photos). A bucket name has 3 to 63\n"
         "lower-case letters, digits, dots and hyphens. --region is the region requests\n"
         "are signed for, as the service names it (default us-east-1; Cloudflare R2\n"
         "takes auto). Buckets are addressed by path (https://HOST/BUCKET/KEY), which\n"
         "every S3-compatible service takes.\n"
         "--password-stdin reads the password from the first line of standard input,\n"
         "so it does not show in the list of processes. --connections (1 to 16,\n"
         "default 4) and --limit-rate (bytes a second,\n"
         "with K, M or G as for upload; 0, the default, for no limit) are what uploads\n"
         "with the profile use unless upload's options of the same name say otherwise.\n"
         "Passwords are kept in the desktop's secret store (GNOME Keyring,\n"
         "KWallet, KeePassXC) when one runs, else in Mavren's settings file, which only\n"
         "you can read. --forget-certificate forgets the FTPS server certificate the\n"
         "profile trusts, so that the next upload shows the server's certificate and\n"
         "asks again: the way to trust a new certificate once your host confirms it\n"
         "(an upload refuses a certificate other than the trusted one, even with\n"
         "--yes). At most 3 profiles can be kept. Each change writes only what it\n"
         "changes, so several at once all hold. Exit status 1 when the settings could\n"
         "not be read or written, or the change met one made meanwhile (a profile of\n"
         "that name added, the profile deleted), or a rename could not move the\n"
         "password the secret store keeps (the profile then keeps its old name).\n",
         RunProfileCommand},
    };
    return commands;
}

const Command& FindCommand(const char* name) {
    for (const Command& command : Commands()) {
        if (std::string_view(command.name) == name) {
            return command;
        }
    }
    std::abort();  // a command the table lacks is a programming error
}

int UsageError(const Command& command, const std::string& problem) {
    if (!problem.empty()) {
        std::fprintf(stderr, "mavren-cli %s: %s\n", command.name, problem.c_str());
    }
    std::fprintf(stderr, "usage: %s  (try mavren-cli %s --help)\n", command.usage, command.name);
    return kExitUsage;
}

bool LoadProgramOrReport(Program& program, const std::string& path) {
    const Result loaded = program.Load(path);
    if (!loaded.ok()) {
        std::fprintf(stderr, "%s\n", loaded.text().c_str());
    }
    return loaded.ok();
}

int LoadProgramArgument(const Command& command, const CommandLine& line, Program& program) {
    if (line.arguments.size() != 1) {
        return UsageError(command,
                          line.arguments.empty() ? "no program named" : "too many arguments");
    }
    return LoadProgramOrReport(program, line.arguments[0]) ? kExitOk : kExitFileError;
}

std::string WithNewlines(const std::string& text) {
    return ReplaceAll(text, "\r\n", "\n");
}

std::string AbsoluteFolder(const std::string& folder) {
    std::string path = std::filesystem::absolute(folder).lexically_normal().string();
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}
