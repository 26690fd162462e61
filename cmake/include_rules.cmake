# The include rules of src/, checked before anything there is compiled. Each folder (a floor)
# may include no more than:
#   - the C++ standard library's headers and the system's (POSIX and Linux), listed below;
#   - its own headers and those of the floors its library links, as "floor/name.h" (or a
#     file beside the including one, or a header the build makes for a floor it sees);
#   - the third-party libraries it owns, listed below: their headers lie in /usr/include,
#     where every folder would find them.
# Anything else is refused: another library, an absolute path, "../", and an include whose
# header is not written out as <...> or "..." (one through a macro).
# cmake -DSOURCE_DIR=<src> -DFLOORS=<file> [-DSTAMP=<file>] -P include_rules.cmake
# FLOORS is a CMake file that sets floors_seen_by_<folder> to the floors that folder's
# library links, directly or not (src/CMakeLists.txt writes it from the targets).
# Fails naming the file and line of each include that breaks a rule; else touches STAMP.

cmake_minimum_required(VERSION 3.25)

# The C++20 standard library.
set(standard_headers
    algorithm any array atomic barrier bit bitset charconv chrono codecvt compare complex
    concepts condition_variable coroutine deque exception execution filesystem format
    forward_list fstream functional future initializer_list iomanip ios iosfwd iostream istream
    iterator latch limits list locale map memory memory_resource mutex new numbers numeric
    optional ostream queue random ranges ratio regex scoped_allocator semaphore set shared_mutex
    source_location span sstream stack stdexcept stop_token streambuf string string_view
    syncstream system_error thread tuple type_traits typeindex typeinfo unordered_map
    unordered_set utility valarray variant vector version
    cassert cctype cerrno cfenv cfloat cinttypes climits clocale cmath csetjmp csignal cstdarg
    cstddef cstdint cstdio cstdlib cstring ctime cuchar cwchar cwctype)
# The POSIX headers, and a few of the C library's and Linux's own; <sys/...> and <linux/...>
# are matched below.
set(system_headers
    aio.h arpa/inet.h assert.h complex.h cpio.h ctype.h dirent.h dlfcn.h errno.h fcntl.h
    fenv.h float.h fmtmsg.h fnmatch.h ftw.h glob.h grp.h iconv.h inttypes.h iso646.h
    langinfo.h libgen.h limits.h locale.h math.h monetary.h mqueue.h net/if.h netdb.h
    netinet/in.h netinet/tcp.h nl_types.h poll.h pthread.h pwd.h regex.h sched.h search.h
    semaphore.h setjmp.h signal.h spawn.h stdarg.h stdbool.h stddef.h stdint.h stdio.h
    stdlib.h string.h strings.h syslog.h tar.h termios.h tgmath.h time.h unistd.h utime.h
    utmpx.h wchar.h wctype.h wordexp.h
    byteswap.h endian.h err.h execinfo.h getopt.h ifaddrs.h malloc.h mntent.h paths.h)
set(system_pattern "^(sys|linux)/[a-z0-9_]+\\.h$")

# Each third-party library: its name, a pattern of its include paths, and the one folder of
# src/ that may include it.
set(libraries
    "libcurl"   "^curl/"                              upload
    "OpenSSL"   "^openssl/"                           upload
    "libsecret" "^libsecret/"                         upload
    "GLib"      "^(glib|glib-object|gio|gobject)[/.]" upload
    "libxml2"   "^libxml/"                            upload
    "libjpeg"   "^(jpeglib|jerror|jconfig|jmorecfg)\\.h$" media
    "libvips"   "^vips/"                              media
    "lcms2"     "^lcms2"                              media
    "Exiv2"     "^exiv2/"                             media
    "ICU"       "^unicode/"                           generate
    "Qt"        "^Q"                                  ui)

# Headers the build makes, each for a floor: seen where that floor's headers are.
set(generated
    "^mavren_version\\.h$" platform    # the project's version
    "^ui_[a-z0-9_]+\\.h$"  ui)         # the Designer templates, compiled

if(NOT IS_DIRECTORY "${SOURCE_DIR}")
    message(FATAL_ERROR "include_rules.cmake: SOURCE_DIR is not a folder: '${SOURCE_DIR}'")
endif()
if(NOT EXISTS "${FLOORS}")
    message(FATAL_ERROR "include_rules.cmake: FLOORS is not a file: '${FLOORS}'")
endif()
include("${FLOORS}")
get_filename_component(shown_from "${SOURCE_DIR}/.." ABSOLUTE)
list(LENGTH libraries count)
math(EXPR last "${count} - 1")
list(LENGTH generated count)
math(EXPR last_generated "${count} - 1")

# Sets fault to why folder may not include the header named by path, as <path> when angled,
# as "path" else; to "" when it may. file is the including file.
function(check_include folder file path angled)
    set(fault "")
    # Own headers first, then the floors the folder's library links.
    set(seen ${folder} ${floors_seen_by_${folder}})
    if(path MATCHES "^/")
        set(fault "no absolute paths: a header of src/ is \"floor/name.h\", any other <name.h>")
    elseif(path MATCHES "(^|/)\\.\\.(/|$)")
        # Meant from the including file's folder, or else from an include tree's top.
        get_filename_component(from "${file}" DIRECTORY)
        if(NOT path MATCHES "^\\.\\./")
            set(from "${SOURCE_DIR}")
        endif()
        get_filename_component(meant "${from}/${path}" ABSOLUTE)
        file(RELATIVE_PATH meant "${SOURCE_DIR}" "${meant}")
        string(REGEX REPLACE "/.*" "" meant_folder "${meant}")
        string(CONCAT fault "no \"../\" in src/: write \"${meant}\" (it builds only if "
               "the library of ${folder}/ uses that of ${meant_folder}/)")
    elseif(angled)
        if(path IN_LIST standard_headers OR path IN_LIST system_headers
           OR path MATCHES "${system_pattern}")
            set(fault "")
        else()
            string(CONCAT fault "not a C++ or system header, nor one of a library that src/"
                   "${folder}/ owns (see cmake/include_rules.cmake)")
            foreach(at RANGE 0 ${last} 3)
                math(EXPR pattern_at "${at} + 1")
                math(EXPR owner_at "${at} + 2")
                list(GET libraries ${at} library)
                list(GET libraries ${pattern_at} pattern)
                list(GET libraries ${owner_at} owner)
                if(path MATCHES "${pattern}")
                    if(folder STREQUAL owner)
                        set(fault "")
                    else()
                        set(fault "${library} belongs to src/${owner}/ alone")
                    endif()
                    break()
                endif()
            endforeach()
        endif()
    elseif(path MATCHES "^([^/]+)/")
        set(floor "${CMAKE_MATCH_1}")
        if(NOT DEFINED floors_seen_by_${floor})
            set(fault "not a header of src/: a library's header is included as <...>")
        elseif(NOT floor IN_LIST seen)
            list(JOIN seen "/, " shown_seen)
            string(CONCAT fault "src/${folder}/ does not use src/${floor}/: it includes from "
                   "${shown_seen}/ only")
        endif()
    else()
        get_filename_component(beside "${file}" DIRECTORY)
        if(EXISTS "${beside}/${path}")
            set(fault "" PARENT_SCOPE)
            return()
        endif()
        set(fault "not a header beside this file, nor one the build makes for src/${folder}/")
        foreach(at RANGE 0 ${last_generated} 2)
            math(EXPR maker_at "${at} + 1")
            list(GET generated ${at} pattern)
            list(GET generated ${maker_at} maker)
            if(path MATCHES "${pattern}" AND maker IN_LIST seen)
                set(fault "")
                break()
            endif()
        endforeach()
    endif()
    set(fault "${fault}" PARENT_SCOPE)
endfunction()

# Any line that includes, and of those the ones that name their header plainly.
set(any_include "^[ \t]*#[ \t]*include")
set(plain_include "${any_include}[ \t]*(<([^<>\"]*)>|\"([^<>\"]*)\")")
set(faults "")
file(GLOB_RECURSE files LIST_DIRECTORIES false "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
list(SORT files)
foreach(file IN LISTS files)
    file(RELATIVE_PATH relative "${SOURCE_DIR}" "${file}")
    string(REGEX REPLACE "/.*" "" folder "${relative}")
    file(RELATIVE_PATH shown "${shown_from}" "${file}")
    file(STRINGS "${file}" includes REGEX "${any_include}")
    foreach(line IN LISTS includes)
        if(line MATCHES "${plain_include}")
            set(angled_path "${CMAKE_MATCH_2}")
            set(quoted_path "${CMAKE_MATCH_3}")
            if(CMAKE_MATCH_1 MATCHES "^<")
                check_include("${folder}" "${file}" "${angled_path}" TRUE)
            else()
                check_include("${folder}" "${file}" "${quoted_path}" FALSE)
            endif()
        else()
            set(fault "write the header as <name> or \"name\", not through a macro")
        endif()
        if(fault)
            # The line number, from the whole file, only for a line that breaks a rule.
            file(READ "${file}" text)
            string(FIND "\n${text}\n" "\n${line}\n" at)
            string(SUBSTRING "${text}" 0 ${at} before)
            string(REGEX MATCHALL "\n" breaks "${before}")
            list(LENGTH breaks number)
            math(EXPR number "${number} + 1")
            string(STRIP "${line}" stripped)
            string(APPEND faults "${shown}:${number}: error: ${stripped}: ${fault}\n")
        endif()
    endforeach()
endforeach()

if(faults)
    # As they are: an error message would be wrapped and indented.
    message(NOTICE "${faults}")
    message(FATAL_ERROR "Include lines above break the rules of src/ (${CMAKE_CURRENT_LIST_FILE}).")
endif()
if(STAMP)
    file(TOUCH "${STAMP}")
endif()
