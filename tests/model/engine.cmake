winkwell_add_test(test_model_lifecycle
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_model_lifecycle.cpp
    LIBS winkwell_model)
winkwell_add_test(test_model_runs
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_model_runs.cpp
    LIBS winkwell_model)
add_dependencies(test_model_runs winkwell_datadat_model)
