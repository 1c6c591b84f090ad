# Puts files into the page, in place of the tags that name them, so that the page stands alone:
#   cmake -DPAGE=converter.html -DFILES=a.js,b.wasm -DOUTPUT=out.html -P make_page.cmake
# Each file must be named by exactly one script tag of the page, as its src. A script's text goes
# in as it is, and must not hold "</script", which would end it early; a .wasm file goes in as
# hexadecimal digits, two to a byte.
file(READ ${PAGE} page)
string(REPLACE "," ";" files "${FILES}")
foreach(file IN LISTS files)
  get_filename_component(name "${file}" NAME)
  string(REGEX MATCHALL "<script[^>]* src=\"${name}\"></script>" tags "${page}")
  list(LENGTH tags count)
  if(NOT count EQUAL 1)
    message(FATAL_ERROR "${PAGE} names ${name} ${count} times, not once")
  endif()
  if(name MATCHES "\\.wasm$")
    file(READ "${file}" content HEX)
  else()
    file(READ "${file}" content)
    string(FIND "${content}" "</script" end_tag)
    if(NOT end_tag EQUAL -1)
      message(FATAL_ERROR "${file} holds \"</script\", which would end it inside the page")
    endif()
  endif()
  string(REPLACE " src=\"${name}\"></script>" ">\n${content}</script>" page "${page}")
endforeach()
file(WRITE ${OUTPUT} "${page}")
