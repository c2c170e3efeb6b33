# The browser build (emcmake cmake ... in build-web): the same library and
# entry, compiled by emscripten against its own SDL 1.2, SDL_image, SDL_ttf
# and SDL_mixer, which draw, decode and play through the browser. The data
# tree is the one a native build made (its game folder), packaged whole
# except for what playing wrote into Save/; the page is web/index.html.
set(MOSSLANCE_WEB_DATA "" CACHE PATH "The game folder of a native build, whose data tree the page ships")
if(NOT EXISTS "${MOSSLANCE_WEB_DATA}/Story/game.story")
  message(FATAL_ERROR "MOSSLANCE_WEB_DATA must name a native build's game folder "
    "(a data tree with Story/game.story), e.g. -DMOSSLANCE_WEB_DATA=$PWD/build/game")
endif()

file(GLOB_RECURSE MOSSLANCE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*.cpp)
list(REMOVE_ITEM MOSSLANCE_SOURCES ${CMAKE_SOURCE_DIR}/src/main.cpp)
add_library(mosslance STATIC ${MOSSLANCE_SOURCES})
target_include_directories(mosslance PUBLIC ${CMAKE_SOURCE_DIR}/src)
# The world board's answers are JSON, read with the host's nlohmann-json
# (header only). Its folder alone joins the include path: all of the host's
# /usr/include would hide emscripten's own system headers.
find_path(MOSSLANCE_JSON_INCLUDE nlohmann/json.hpp PATHS /usr/include NO_DEFAULT_PATH
  NO_CMAKE_FIND_ROOT_PATH)
if(NOT MOSSLANCE_JSON_INCLUDE)
  message(FATAL_ERROR "nlohmann/json.hpp not found: bash scripts/install-deps.sh --web")
endif()
set(WEB_JSON_INCLUDE ${CMAKE_BINARY_DIR}/json-include)
file(MAKE_DIRECTORY ${WEB_JSON_INCLUDE})
file(CREATE_LINK ${MOSSLANCE_JSON_INCLUDE}/nlohmann ${WEB_JSON_INCLUDE}/nlohmann SYMBOLIC)
target_include_directories(mosslance PRIVATE ${WEB_JSON_INCLUDE})

# The data, laid out for packaging at every build, so that a newer native
# data tree goes into the next page.
set(WEB_DATA_DIR ${CMAKE_BINARY_DIR}/data)
add_custom_target(web_data
  COMMAND ${CMAKE_COMMAND} -DFROM=${MOSSLANCE_WEB_DATA} -DTO=${WEB_DATA_DIR} -DPAGE=${CMAKE_BINARY_DIR}
    -DWEB=${CMAKE_SOURCE_DIR}/web
    -P ${CMAKE_SOURCE_DIR}/cmake/web_data.cmake
  COMMENT "Laying out the page's data tree"
  VERBATIM)

add_executable(mosslance-hero src/main.cpp)
target_link_libraries(mosslance-hero PRIVATE mosslance)
add_dependencies(mosslance-hero web_data)
set_target_properties(mosslance-hero PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}
  LINK_DEPENDS ${WEB_DATA_DIR}/.stamp)
target_link_options(mosslance-hero PRIVATE
  # The screens' loops wait with SDL_Delay as on the desktop; asyncify lets
  # the page run between their passes.
  -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536
  -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=64MB
  # The page starts the game on the player's first click or key, which
  # browsers ask for before they let a page play sound.
  -sINVOKE_RUN=0 -sEXIT_RUNTIME=1 "-sEXPORTED_RUNTIME_METHODS=['callMain']"
  -lidbfs.js
  # Pictures and MP3s are decoded by the browser while the page loads.
  --use-preload-plugins --preload-file ${WEB_DATA_DIR}@/)

# The installed app's icons: the window icon's drawing, rendered larger, as
# for the desktop (assets/install).
include(${CMAKE_SOURCE_DIR}/cmake/rsvg_convert.cmake)
set(WEB_ICON_SOURCE ${CMAKE_SOURCE_DIR}/assets/pictures/svg/Title/icone.svg)
set(WEB_ICONS)
foreach(size 192 512)
  set(output ${CMAKE_BINARY_DIR}/icon-${size}.png)
  render_square_png(${WEB_ICON_SOURCE} ${size} ${output} "Rendering the app icon at ${size} px")
  list(APPEND WEB_ICONS ${output})
endforeach()

# The service worker names every shipped file with its digest, so it is
# written after everything else, at every build.
add_custom_target(web_worker ALL
  COMMAND ${CMAKE_COMMAND} -DPAGE=${CMAKE_BINARY_DIR} -DTEMPLATE=${CMAKE_SOURCE_DIR}/web/sw.js
    -P ${CMAKE_SOURCE_DIR}/cmake/web_worker.cmake
  DEPENDS mosslance-hero ${WEB_ICONS}
  COMMENT "Writing the page's service worker"
  VERBATIM)
