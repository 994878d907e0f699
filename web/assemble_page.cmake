# Puts the conversions' script into the page: one file that holds
# everything, so that it can be saved and opened anywhere.
#   cmake -DTEMPLATE=pellamar.html.in -DSCRIPT=pellamar.js -DPAGE=pellamar.html -P assemble_page.cmake
file(READ ${TEMPLATE} page)
file(READ ${SCRIPT} script)
# A script element ends at the first "</script" within it.
string(FIND "${script}" "</script" closing)
if(NOT closing EQUAL -1)
  message(FATAL_ERROR "${SCRIPT} holds \"</script\" and cannot stand inside the page.")
endif()
string(REPLACE "@PELLAMAR_CONVERSIONS@" "${script}" page "${page}")
file(WRITE ${PAGE} "${page}")
