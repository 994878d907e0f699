# Puts the conversions' script into the page: one file that holds
# everything, so that it can be saved and opened anywhere.
#   cmake -DTEMPLATE=pellamar.html.in -DSCRIPT=pellamar.js -DPAGE=pellamar.html [-DNAMES=FILE -DCHARACTERS=FILE]
#         -P assemble_page.cmake
file(READ ${TEMPLATE} page)
file(READ ${SCRIPT} script)
# A script element ends at the first "</script" within it.
string(FIND "${script}" "</script" closing)
if(NOT closing EQUAL -1)
  message(FATAL_ERROR "${SCRIPT} holds \"</script\" and cannot stand inside the page.")
endif()
string(REPLACE "@PELLAMAR_CONVERSIONS@" "${script}" page "${page}")
# The built-in names and Unicode's, as Base64 text, where the page asks
# for them.
foreach(table NAMES CHARACTERS)
  if(${table})
    file(READ ${${table}} text)
    string(REPLACE "@PELLAMAR_${table}@" "${text}" page "${page}")
  endif()
endforeach()
file(WRITE ${PAGE} "${page}")
