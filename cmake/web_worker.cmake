# Writes the page's service worker PAGE/sw.js from TEMPLATE (web/sw.js): the
# files the page ships, each with its SHA-256, and a version made from them
# that names the worker's cache. Run after every build of the page, so that
# any changed file makes a new worker; sw.js is only rewritten when it
# changes.
set(shipped index.html mosslance-hero.js mosslance-hero.wasm mosslance-hero.data shark.ttf
  icone.png icon-192.png icon-512.png manifest.webmanifest)
set(entries "")
set(digest "")
foreach(file ${shipped})
  if(NOT EXISTS ${PAGE}/${file})
    message(FATAL_ERROR "The page has no ${file} to keep offline (in ${PAGE})")
  endif()
  file(SHA256 ${PAGE}/${file} hash)
  # The page itself is asked for as the folder's address.
  if(file STREQUAL "index.html")
    set(file "./")
  endif()
  string(APPEND entries "\n  \"${file}\": \"${hash}\",")
  string(APPEND digest "${file} ${hash}\n")
endforeach()
string(SHA256 version "${digest}")
string(SUBSTRING ${version} 0 16 VERSION)
set(FILES "{${entries}\n}")
configure_file(${TEMPLATE} ${PAGE}/sw.js @ONLY)
