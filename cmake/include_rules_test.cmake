# include_rules.cmake tried on trees of one file each: what it must refuse, with the file
# and line it must name, and what it must let through; then on the real src/.
# cmake -DWORK_DIR=<folder it may fill> -DSOURCE_DIR=<src> -DFLOORS=<the build's floors file>
#       -P include_rules_test.cmake

cmake_minimum_required(VERSION 3.25)

# Each case: a file below src/, its include line (the third line of the file), and what
# the refusal must say, or "" when the file is fine.
set(cases
    "media/a.h"        "#include \"../generate/web_names.h\""
                       "src/media/a.h:3: .*write \"generate/web_names.h\""
    "generate/a.cpp"   "#include \"media/../upload/ftp_client.h\""
                       "src/generate/a.cpp:3: .*write \"upload/ftp_client.h\""
    "platform/a.cpp"   "#include <curl/curl.h>"    "src/platform/a.cpp:3: .*libcurl .*src/upload/"
    "upload/a.cpp"     "#include <curl/curl.h>"    ""
    "work/a.h"         "#include <openssl/evp.h>"  "OpenSSL belongs to src/upload/"
    "document/a.cpp"   "#  include <jpeglib.h>"    "src/document/a.cpp:3: .*libjpeg .*src/media/"
    "media/a.cpp"      "#include <jpeglib.h>"      ""
    "upload/a.cpp"     "#include <lcms2.h>"        "lcms2 belongs to src/media/"
    "generate/a.cpp"   "#include <vips/vips8>"     "libvips belongs to src/media/"
    "generate/a.h"     "#include <QString>"        "src/generate/a.h:3: .*Qt belongs to src/ui/"
    "ui/harness/a.cpp" "#include <QString>"        ""
    "cli/a.cpp"        "#include <queue>"          ""
    "platform/a.cpp"   "// #include <curl/curl.h>" ""
    "platform/a.cpp"   "#include <zlib.h>"         "src/platform/a.cpp:3: .*<zlib.h>: not a C"
    "platform/a.cpp"   "#include \"zlib.h\""       "src/platform/a.cpp:3: .*not a header beside"
    "platform/a.cpp"   "#include \"curl/curl.h\""  "src/platform/a.cpp:3: .*not a header of src/"
    "platform/a.cpp"   "#include <sys/stat.h>"     ""
    "platform/a.h"     "#include \"/usr/include/zlib.h\"" "src/platform/a.h:3: .*no absolute paths"
    "generate/a.cpp"   "#include MAVREN_HEADER"    "src/generate/a.cpp:3: .*not through a macro"
    "platform/a.h"     "#include \"generate/web_names.h\""
                       "src/platform/a.h:3: .*src/platform/ does not use src/generate/"
    "upload/a.cpp"     "#include \"media/raster.h\"" "src/upload/ does not use src/media/"
    "cli/a.cpp"        "#include \"platform/files.h\"" ""
    "cli/a.cpp"        "#include \"mavren_version.h\"" ""
    "ui/harness/a.h"   "#include \"a.h\""          "")

list(LENGTH cases count)
math(EXPR last "${count} - 1")
set(failures "")
foreach(at RANGE 0 ${last} 3)
    math(EXPR line_at "${at} + 1")
    math(EXPR said_at "${at} + 2")
    list(GET cases ${at} file)
    list(GET cases ${line_at} line)
    list(GET cases ${said_at} said)
    set(tree "${WORK_DIR}/case${at}")
    file(REMOVE_RECURSE "${tree}")
    file(WRITE "${tree}/src/${file}" "#pragma once\n\n${line}\n\nint a;\n")
    execute_process(
        COMMAND "${CMAKE_COMMAND}" -DSOURCE_DIR=${tree}/src -DFLOORS=${FLOORS}
                -P "${CMAKE_CURRENT_LIST_DIR}/include_rules.cmake"
        RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(said STREQUAL "" AND NOT result EQUAL 0)
        string(APPEND failures "${file} with '${line}' was refused:\n${output}\n")
    elseif(NOT said STREQUAL "" AND (result EQUAL 0 OR NOT output MATCHES "${said}"))
        string(APPEND failures "${file} with '${line}' should fail with '${said}':\n${output}\n")
    endif()
endforeach()
file(REMOVE_RECURSE "${WORK_DIR}")

execute_process(
    COMMAND "${CMAKE_COMMAND}" -DSOURCE_DIR=${SOURCE_DIR} -DFLOORS=${FLOORS}
            -P "${CMAKE_CURRENT_LIST_DIR}/include_rules.cmake"
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    string(APPEND failures "${SOURCE_DIR} was refused:\n${output}\n")
endif()

if(failures)
    message(FATAL_ERROR "${failures}")
endif()
