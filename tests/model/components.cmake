# Engine component tests: one executable per component.
winkwell_add_test(test_blinkdetector SOURCES test_blinkdetector.cpp LIBS winkwell_model)
winkwell_add_test(test_facelocator SOURCES test_facelocator.cpp LIBS winkwell_model)
winkwell_add_test(test_eyemotion SOURCES test_eyemotion.cpp LIBS winkwell_model)
winkwell_add_test(test_facedetector SOURCES test_facedetector.cpp LIBS winkwell_model)
winkwell_add_test(test_previewrenderer SOURCES test_previewrenderer.cpp LIBS winkwell_model)
