# Writes the operator's part of README.md as a plain text file with Windows
# line ends: everything before the line "<!-- end of the operator's part -->",
# without picture lines.
#   cmake -DINPUT=README.md -DOUTPUT=README.txt -P cmake/readme-txt.cmake
file(READ "${INPUT}" text)
set(marker "<!-- end of the operator's part -->")
string(FIND "${text}" "${marker}" end)
if(end EQUAL -1)
  message(FATAL_ERROR "${INPUT} has no line \"${marker}\"")
endif()
string(SUBSTRING "${text}" 0 ${end} text)
string(REGEX REPLACE "(^|\n)!\\[[^\n]*" "\\1" text "${text}")
string(REGEX REPLACE "\n\n\n+" "\n\n" text "${text}")
string(STRIP "${text}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${OUTPUT}" "${text}\r\n")
