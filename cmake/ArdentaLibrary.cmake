# One static library per folder of src/. Every file names the folder of what it includes from
# one root ("db/Database.h"); the public headers come from include/ (<clsMain.h>) and the host
# headers from include/host/ ("host/Presence.h"), each built into the library that implements
# it. Which folder may include which is checked by scripts/check-layers.
#
#   ardenta_library(NAME [HOST_HEADERS header...] [LINKS target...])
function(ardenta_library name)
    cmake_parse_arguments(arg "" "" "HOST_HEADERS;LINKS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS *.cpp *.h)
    list(TRANSFORM arg_HOST_HEADERS PREPEND ${PROJECT_SOURCE_DIR}/include/host/)
    add_library(${name} STATIC ${sources} ${arg_HOST_HEADERS})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/include)
    target_link_libraries(${name} PUBLIC ${arg_LINKS})
endfunction()
