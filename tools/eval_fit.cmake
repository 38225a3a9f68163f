# The evaluation's weight fit: a library the unit tests check, and its program.
add_library(talvena_eval_fit STATIC ${CMAKE_SOURCE_DIR}/tools/eval/fit.cpp)
target_include_directories(talvena_eval_fit PUBLIC ${CMAKE_SOURCE_DIR}/tools)
target_link_libraries(talvena_eval_fit PUBLIC talvena_core)
add_executable(eval_fit ${CMAKE_SOURCE_DIR}/tools/eval/main.cpp)
target_link_libraries(eval_fit PRIVATE talvena_eval_fit talvena_cli_lib)
set_target_properties(eval_fit PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
