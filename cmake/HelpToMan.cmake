# Writes a manual page from a program's --help text, so the page says what
# the program itself says. Run by CMake at build time:
#   cmake -DPROGRAM=path -DNAME=quillmoor -DSECTION=6 -DSUMMARY="..."
#         -DVERSION=1.0.0 [-DSEE_ALSO="quillmoor-capture(1)"] -DOUTPUT=page
#         -P HelpToMan.cmake
# The help text goes into the page as it is printed (a preformatted block),
# with the characters roff reads as commands escaped.
# In a sanitizer build the leak check at exit must not fail the build.
set(ENV{ASAN_OPTIONS} "detect_leaks=0")
execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --help failed (${status})")
endif()

# A backslash is roff's escape, "-" a hyphen unless written "\-", and a line
# that opens with "." or "'" a request.
function(roff_text out text)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

roff_text(body "${help}")
roff_text(summary "${SUMMARY}")
string(TOUPPER "${NAME}" title)
set(page ".TH ${title} ${SECTION} \"\" \"${NAME} ${VERSION}\"
.SH NAME
${NAME} \\- ${summary}
.SH DESCRIPTION
.nf
${body}.fi
")
if(SEE_ALSO)
  string(REGEX REPLACE "([^;(]+)\\(([^)]+)\\)" ".BR \\1 (\\2)" refs "${SEE_ALSO}")
  string(REPLACE ";" "\n" refs "${refs}")
  string(APPEND page ".SH SEE ALSO\n${refs}\n")
endif()
file(WRITE ${OUTPUT} "${page}")
