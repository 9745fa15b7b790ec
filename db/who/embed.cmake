# Turns WHO's tab-separated LMS tables (sex, age, L, M, S, and for the
# 2006 standards a length-or-height column, which is dropped) into a C++
# source, so that the program carries them and needs no data path.
# Called with -DOUT=file.cpp -DSTANDARDS=bmianthro.txt -DREFERENCE=bfawho2007.txt
function(rows file var)
  file(STRINGS ${file} lines)
  list(REMOVE_AT lines 0) # the header
  set(text "")
  foreach(line IN LISTS lines)
    string(REGEX MATCH "^([12])\t([0-9]+)\t([-0-9.]+)\t([-0-9.]+)\t([-0-9.]+)" row "${line}")
    if(NOT row)
      message(FATAL_ERROR "${file}: a row that does not read: ${line}")
    endif()
    string(APPEND text "    {${CMAKE_MATCH_1}, ${CMAKE_MATCH_2}, ${CMAKE_MATCH_3}, ${CMAKE_MATCH_4}, ${CMAKE_MATCH_5}},\n")
  endforeach()
  set(${var} "${text}" PARENT_SCOPE)
endfunction()
rows(${STANDARDS} standards)
rows(${REFERENCE} reference)
file(WRITE ${OUT}.new "// Generated from db/who/*.txt by db/who/embed.cmake; do not edit.
#include \"db/bmi_for_age_tables.h\"

namespace merivex::who
{

const LmsRow standards2006[] = {
${standards}};
const std::size_t standards2006Rows = sizeof standards2006 / sizeof standards2006[0];

const LmsRow reference2007[] = {
${reference}};
const std::size_t reference2007Rows = sizeof reference2007 / sizeof reference2007[0];

} // namespace merivex::who
")
file(COPY_FILE ${OUT}.new ${OUT} ONLY_IF_DIFFERENT)
