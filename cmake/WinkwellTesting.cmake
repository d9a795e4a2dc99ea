# winkwell_add_test(NAME SOURCES a.cpp [b.cpp] LIBS lib... [DISPLAY] [TIMEOUT s])
#   One Qt Test executable registered with CTest. Tests run on Qt's offscreen platform unless
#   DISPLAY asks for the X server that test.sh starts. Tests find ../shared through the
#   WINKWELL_SHARED_DIR definition and skip where it is absent.
function(winkwell_add_test name)
    cmake_parse_arguments(T "DISPLAY" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/bin)
    target_link_libraries(${name} PRIVATE Qt5::Test ${T_LIBS})
    target_compile_definitions(${name} PRIVATE
        WINKWELL_SHARED_DIR="${WINKWELL_SHARED_DIR}"
        WINKWELL_BIN_DIR="${CMAKE_BINARY_DIR}/bin"
        WINKWELL_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
    add_test(NAME ${name} COMMAND ${name})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 300)
    endif()
    set(env "QT_LOGGING_RULES=default.debug=true")
    if(NOT T_DISPLAY)
        list(APPEND env "QT_QPA_PLATFORM=offscreen")
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT} ENVIRONMENT "${env}")
    if(T_DISPLAY)
        # One window test at a time: focus, pointer and stacking are shared by all of them.
        set_tests_properties(${name} PROPERTIES RESOURCE_LOCK x_display)
    endif()
endfunction()
