# One static library per folder of src/. Every header sits beside the file that implements it and
# is included by its folder's name from one root ("db/Database.h"); the public headers come from
# include/ (<clsMain.h>). Which folder may include which is checked by scripts/check-layers.
#
#   ardenta_library(NAME [LINKS target...])
function(ardenta_library name)
    cmake_parse_arguments(arg "" "" "LINKS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS *.cpp *.h)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/include)
    target_link_libraries(${name} PUBLIC ${arg_LINKS})
endfunction()
