# Helpers shared by every directory of the project.

set(REMOTE_SRC_ROOT ${PROJECT_SOURCE_DIR}/apps/remote/src)

# remote_module(NAME DEPS ...): the .cpp files of the calling directory become the static
# library remote_NAME (an interface library when the module is header-only).
function(remote_module name)
    cmake_parse_arguments(M "" "" "DEPS" ${ARGN})
    file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    if(srcs)
        add_library(remote_${name} STATIC ${srcs})
        target_include_directories(remote_${name} PUBLIC ${REMOTE_SRC_ROOT})
        target_link_libraries(remote_${name} PUBLIC ${M_DEPS})
    else()
        add_library(remote_${name} INTERFACE)
        target_include_directories(remote_${name} INTERFACE ${REMOTE_SRC_ROOT})
        target_link_libraries(remote_${name} INTERFACE ${M_DEPS})
    endif()
endfunction()

# remote_test(NAME LIBS ... [LABELS ...]): the .cpp files of the calling directory become one
# GoogleTest program; every test in it is registered with CTest.
function(remote_test name)
    cmake_parse_arguments(T "" "TIMEOUT" "LIBS;LABELS" ${ARGN})
    file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    add_executable(${name} ${srcs})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
    target_compile_definitions(${name} PRIVATE
        REMOTE_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
        REMOTE_BINARY_DIR="${PROJECT_BINARY_DIR}")
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    if(NOT T_LABELS)
        set(T_LABELS unit)
    endif()
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        PROPERTIES LABELS "${T_LABELS}" TIMEOUT ${T_TIMEOUT}
                   ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# remote_subdirectories(): adds every direct subdirectory that has a CMakeLists.txt, so that a
# new module or test folder needs no edit of its parent.
function(remote_subdirectories)
    file(GLOB children LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
    list(SORT children)
    foreach(child ${children})
        if(IS_DIRECTORY ${child} AND EXISTS ${child}/CMakeLists.txt)
            add_subdirectory(${child})
        endif()
    endforeach()
endfunction()

# remote_bench(NAME LIBS ...): the .cpp files of the calling directory become one Google
# Benchmark program.
function(remote_bench name)
    cmake_parse_arguments(B "" "" "LIBS" ${ARGN})
    find_package(benchmark REQUIRED)
    file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    add_executable(${name} ${srcs})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark)
    target_compile_definitions(${name} PRIVATE REMOTE_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bench)
endfunction()

# remote_fuzzer(NAME LIBS ...): the .cpp files of the calling directory become one libFuzzer
# harness, written to fuzz/ in the build tree where the CI smoke run finds it.
function(remote_fuzzer name)
    cmake_parse_arguments(F "" "" "LIBS" ${ARGN})
    file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    add_executable(${name} ${srcs})
    target_link_libraries(${name} PRIVATE ${F_LIBS})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/fuzzers)
    add_dependencies(fuzzers ${name})
endfunction()
