# The persisted stream of the main window's toolbar control, built on the build
# machine by res/MakeMenuStream.cpp with the control's own stream writer
# (palisade/format, plain C++) and carried by Bastide.exe as a resource.
find_program(HOST_CXX NAMES c++ g++ clang++ REQUIRED NO_CMAKE_FIND_ROOT_PATH)
set(MENU_STREAM ${CMAKE_BINARY_DIR}/generated/menu-stream.bin)
# The same content in each older layout the control reads: test and fuzzing seeds.
set(OLDER_STREAMS ${CMAKE_BINARY_DIR}/generated/older-streams)
set(MENU_STREAM_TOOL ${CMAKE_BINARY_DIR}/host/MakeMenuStream)
set(MENU_STREAM_SOURCES
    ${CMAKE_SOURCE_DIR}/res/MakeMenuStream.cpp
    ${CMAKE_SOURCE_DIR}/palisade/format/Stream.cpp
    ${CMAKE_SOURCE_DIR}/palisade/format/Dib.cpp)
file(GLOB MENU_STREAM_HEADERS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/palisade/format/*.h)
add_custom_command(
    OUTPUT ${MENU_STREAM}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/host
    COMMAND ${HOST_CXX} -std=c++20 -O1 -I${CMAKE_SOURCE_DIR} ${MENU_STREAM_SOURCES} -o ${MENU_STREAM_TOOL}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${OLDER_STREAMS}
    COMMAND ${MENU_STREAM_TOOL} ${MENU_STREAM} ${OLDER_STREAMS}
    DEPENDS ${MENU_STREAM_SOURCES} ${MENU_STREAM_HEADERS}
    COMMENT "Stream of the main window's menu control")
add_custom_target(menu_stream DEPENDS ${MENU_STREAM})
add_dependencies(bastide_core menu_stream)
set_property(SOURCE ${BASTIDE_RESOURCES} APPEND PROPERTY OBJECT_DEPENDS ${MENU_STREAM})
