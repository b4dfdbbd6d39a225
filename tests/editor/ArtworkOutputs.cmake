# Run as a test (cmake -P): every picture in the bundle's resource folder
# is the output of a build rule Ninja knows, so a picture that goes missing
# (a deleted bundle) is drawn again by the next build.
#   -DNINJA=<ninja> -DBUILD_DIR=<build folder> -DRESOURCES=<resource folder>
file(GLOB pictures ${RESOURCES}/*.png)
list(LENGTH pictures count)
if(count LESS 2)
  message(FATAL_ERROR "no pictures in ${RESOURCES}")
endif()
set(ruleless)
foreach(picture ${pictures})
  execute_process(COMMAND ${NINJA} -C ${BUILD_DIR} -t query ${picture}
    RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
  if(NOT status EQUAL 0)
    list(APPEND ruleless ${picture})
  endif()
endforeach()
if(ruleless)
  message(FATAL_ERROR "no build rule makes these pictures: ${ruleless}")
endif()
message(STATUS "${count} pictures, each the output of a build rule")
