winkwell_add_test(test_model_lifecycle
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_model_lifecycle.cpp
    LIBS winkwell_model)
