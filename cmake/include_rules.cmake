# The include rules of src/, checked before anything there is compiled:
#   - no include climbs out of its folder ("../"): a folder's headers are reached as
#     "folder/name.h" through the trees the build gives each library;
#   - a third-party library's headers are included only in the folder that owns it, since
#     they lie in /usr/include where every folder would find them.
# cmake -DSOURCE_DIR=<src> [-DSTAMP=<file>] -P include_rules.cmake
# Fails naming the file and line of each include that breaks a rule; else touches STAMP.

cmake_minimum_required(VERSION 3.25)

# Each library: its name, a pattern of its include paths, and the one folder of src/ that
# may include it.
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

if(NOT IS_DIRECTORY "${SOURCE_DIR}")
    message(FATAL_ERROR "include_rules.cmake: SOURCE_DIR is not a folder: '${SOURCE_DIR}'")
endif()
get_filename_component(shown_from "${SOURCE_DIR}/.." ABSOLUTE)
list(LENGTH libraries count)
math(EXPR last "${count} - 1")

set(include_line "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]*)[>\"]")
set(faults "")
file(GLOB_RECURSE files LIST_DIRECTORIES false "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
list(SORT files)
foreach(file IN LISTS files)
    file(RELATIVE_PATH relative "${SOURCE_DIR}" "${file}")
    string(REGEX REPLACE "/.*" "" folder "${relative}")
    file(RELATIVE_PATH shown "${shown_from}" "${file}")
    file(STRINGS "${file}" includes REGEX "${include_line}")
    foreach(line IN LISTS includes)
        string(REGEX MATCH "${include_line}" match "${line}")
        set(path "${CMAKE_MATCH_1}")
        set(fault "")
        if(path MATCHES "(^|/)\\.\\.(/|$)")
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
        else()
            foreach(at RANGE 0 ${last} 3)
                math(EXPR pattern_at "${at} + 1")
                math(EXPR owner_at "${at} + 2")
                list(GET libraries ${at} library)
                list(GET libraries ${pattern_at} pattern)
                list(GET libraries ${owner_at} owner)
                if(path MATCHES "${pattern}" AND NOT folder STREQUAL owner)
                    set(fault "${library} belongs to src/${owner}/ alone")
                    break()
                endif()
            endforeach()
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
