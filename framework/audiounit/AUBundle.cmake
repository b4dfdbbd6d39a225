set(PLUGKIT_AU_DIR ${CMAKE_CURRENT_LIST_DIR} CACHE INTERNAL "")

# tolvane3_add_au_bundle(<target> NAME <name> BUNDLE_ID <id> VERSION <a.b.c>
#                        [SUBTYPE <code>] [MANUFACTURER <code>] [TYPE <code>]
#                        SOURCES ... [LIBS ...] [RESOURCES ...])
#
# Builds a plug-in module as a bundle folder that a host loads with dlopen:
#   <build>/<name>.component/Contents/MacOS/<name>   the module
#   <build>/<name>.component/Contents/Info.plist     identifier, version, codes
#   <build>/<name>.component/Contents/Resources/     the RESOURCES files
# The module defines CreatePluginInstance and PluginInstanceSize
# (framework/audiounit/AUPlugInGlue.h) in its SOURCES; it exports only the
# entry points Tolvane3_Factory and Tolvane3_Entry.
function(tolvane3_add_au_bundle target)
  cmake_parse_arguments(B "" "NAME;BUNDLE_ID;VERSION;TYPE;SUBTYPE;MANUFACTURER" "SOURCES;LIBS;RESOURCES" ${ARGN})
  if(NOT B_TYPE)
    set(B_TYPE aufx)
  endif()
  set(root ${CMAKE_BINARY_DIR}/${B_NAME}.component)
  add_library(${target} MODULE ${B_SOURCES})
  target_link_libraries(${target} PRIVATE plugkit_au_entry ${B_LIBS})
  set_target_properties(${target} PROPERTIES
    PREFIX "" SUFFIX "" OUTPUT_NAME ${B_NAME}
    LIBRARY_OUTPUT_DIRECTORY ${root}/Contents/MacOS
    CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  # What the static libraries bring stays inside the module.
  target_link_options(${target} PRIVATE -Wl,--exclude-libs,ALL)

  set(BUNDLE_NAME ${B_NAME})
  set(BUNDLE_ID ${B_BUNDLE_ID})
  set(BUNDLE_VERSION ${B_VERSION})
  set(BUNDLE_TYPE ${B_TYPE})
  set(BUNDLE_SUBTYPE ${B_SUBTYPE})
  set(BUNDLE_MANUFACTURER ${B_MANUFACTURER})
  configure_file(${PLUGKIT_AU_DIR}/Info.plist.in ${root}/Contents/Info.plist @ONLY)
  file(MAKE_DIRECTORY ${root}/Contents/Resources)
  foreach(resource ${B_RESOURCES})
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${resource} ${root}/Contents/Resources/)
  endforeach()
  set_property(TARGET ${target} PROPERTY BUNDLE_ROOT ${root})
endfunction()
