# Generates the Help folder from the help page sources with mavren-cli itself, as any
# site of HTML files is made, then gives the first pages the lower-case names that the
# windows open (the generator names its pages in upper case).
#   cmake -DCLI=mavren-cli -DSOURCE=resources/help -DTARGET=build/Help -DWORK=scratch -P make_help.cmake

file(REMOVE_RECURSE "${TARGET}" "${WORK}")
file(MAKE_DIRECTORY "${TARGET}" "${WORK}")
# The build must not touch the settings of whoever builds.
set(ENV{HOME} "${WORK}")
set(ENV{XDG_CONFIG_HOME} "${WORK}/.config")

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_QUIET)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "Making the help pages failed (${status}): ${ARGN}")
    endif()
endfunction()

run("${CLI}" new --source "${SOURCE}" --type html --target "${TARGET}" --folder "${WORK}"
    --name help --no)
run("${CLI}" set "${WORK}/help.mav"
    "Index-Page-Title=Mavren Help"
    "Content-Page-Title=Mavren Help"
    Generate-Thumbnails=No
    Index-Generate-Multiple-Pages=No
    Content-Show-Link-Begin=Yes
    Content-Show-Link-End=Yes
    "HTML-Font-Face=Verdana, Arial, sans-serif"
    HTML-Background-Style=1
    HTML-Background-Color=White
    "HTML-Link-Color=#C00000"
    # The desktop program opens the help by its numbered pages; classic pages, no site name.
    Page-Names-From-Files=No
    Pages-For-Sharing=No
    Site-Name=)
run("${CLI}" generate --quiet --jobs 1 "${WORK}/help.mav")

file(GLOB pages RELATIVE "${TARGET}" "${TARGET}/GEN*.HTM")
foreach(page ${pages})
    string(REGEX REPLACE "\\.HTM$" ".htm" lower "${page}")
    file(CREATE_LINK "${page}" "${TARGET}/${lower}" SYMBOLIC)
endforeach()
file(REMOVE_RECURSE "${WORK}")
