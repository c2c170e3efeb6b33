cmake_policy(SET CMP0057 NEW)  # IN_LIST
# Lays out the page's data tree in TO from a native build's game folder FROM:
# everything but the executable and Save/, whose shipped save.sv goes to
# Shipped/ (the game copies it into the player's storage on a first visit).
# The font and the icon go beside the page (PAGE) instead: the browser draws
# text with the font the page declares, and shows the icon in the tab. The
# page and its app manifest come from WEB, the source folder web/.
#
# Files are only written when they change, and TO/.stamp only when the tree
# does, so that the program (which packages the tree) is linked again only
# then.
#
# The ten level-menu pictures are a third of a first visit's download: they go
# to the page with their colours reduced to a palette by pngquant (about 60 %
# smaller, no difference to see), or as they are when pngquant cannot.
find_program(PNGQUANT pngquant)
if(NOT PNGQUANT)
  message(WARNING "pngquant not found: the page ships the level-menu pictures unreduced")
endif()

file(GLOB_RECURSE files RELATIVE ${FROM} ${FROM}/*)
set(wanted)
set(digest "")
foreach(file ${files})
  if(file MATCHES "^(mosslance-hero|shark\\.ttf|Save/.*|.*\\.part)$")
    continue()
  endif()
  if(PNGQUANT AND file MATCHES "^Title/choix-[0-9]+\\.png$")
    if(${FROM}/${file} IS_NEWER_THAN ${TO}/${file})
      get_filename_component(dir ${TO}/${file} DIRECTORY)
      file(MAKE_DIRECTORY ${dir})
      execute_process(COMMAND ${PNGQUANT} --quality 85-100 --speed 1 --force
        --output ${TO}/${file} ${FROM}/${file} RESULT_VARIABLE failed)
      if(failed)
        configure_file(${FROM}/${file} ${TO}/${file} COPYONLY)
      endif()
    endif()
  else()
    configure_file(${FROM}/${file} ${TO}/${file} COPYONLY)
  endif()
  list(APPEND wanted ${file})
  file(SHA256 ${FROM}/${file} hash)
  string(APPEND digest "${file} ${hash}\n")
endforeach()
configure_file(${FROM}/Save/save.sv ${TO}/Shipped/save.sv COPYONLY)
list(APPEND wanted Shipped/save.sv)
file(SHA256 ${FROM}/Save/save.sv hash)
string(APPEND digest "Shipped/save.sv ${hash}\n")

# What an older tree had and this one has not.
file(GLOB_RECURSE present RELATIVE ${TO} ${TO}/*)
foreach(file ${present})
  if(NOT file STREQUAL ".stamp" AND NOT file IN_LIST wanted)
    file(REMOVE ${TO}/${file})
  endif()
endforeach()

file(WRITE ${TO}/.stamp.new "${digest}")
configure_file(${TO}/.stamp.new ${TO}/.stamp COPYONLY)
file(REMOVE ${TO}/.stamp.new)

configure_file(${FROM}/shark.ttf ${PAGE}/shark.ttf COPYONLY)
configure_file(${FROM}/Title/icone.png ${PAGE}/icone.png COPYONLY)
configure_file(${WEB}/index.html ${PAGE}/index.html COPYONLY)
configure_file(${WEB}/manifest.webmanifest ${PAGE}/manifest.webmanifest COPYONLY)
