# Writes the web page's service worker (<DIST>/sw.js) from its template: the
# files it keeps for offline play, and the name of their cache, made from
# their contents, so that any changed file makes a new worker and a new
# cache and nothing else does. Run after every file of the page is in DIST;
# scripts can run it again on a copy of the page.
#   cmake -DDIST=build-web/dist -DTEMPLATE=packaging/web/sw.js -P web_offline.cmake
set(files index.html tide_marker.js tide_marker.wasm tide_marker.data manifest.webmanifest
          icon-192.png icon-512.png icon-maskable-512.png)
set(digests "")
set(quoted "")
foreach(file ${files})
  if(NOT EXISTS "${DIST}/${file}")
    message(FATAL_ERROR "the page has no ${file} in ${DIST}")
  endif()
  file(SHA256 "${DIST}/${file}" digest)
  string(APPEND digests "${file} ${digest}\n")
  list(APPEND quoted "'${file}'")
endforeach()
string(SHA256 build_digest "${digests}")
string(SUBSTRING "${build_digest}" 0 16 build_digest)
set(TIDE_CACHE_NAME "tide_marker-${build_digest}")
list(JOIN quoted ", " TIDE_CACHE_FILES)
configure_file("${TEMPLATE}" "${DIST}/sw.js" @ONLY)
