# GoogleTest: Debian's package natively; its sources compiled for the Windows build.
if(NOT CMAKE_CROSSCOMPILING)
  find_package(GTest REQUIRED)
  add_library(test_gtest INTERFACE)
  target_link_libraries(test_gtest INTERFACE GTest::gtest GTest::gmock)
  add_library(test_gtest_main INTERFACE)
  target_link_libraries(test_gtest_main INTERFACE GTest::gtest_main GTest::gtest GTest::gmock)
else()
  set(GTEST_SRC /usr/src/googletest/googletest)
  set(GMOCK_SRC /usr/src/googletest/googlemock)
  add_library(test_gtest STATIC ${GTEST_SRC}/src/gtest-all.cc ${GMOCK_SRC}/src/gmock-all.cc)
  target_include_directories(test_gtest SYSTEM PUBLIC
    ${GTEST_SRC}/include ${GMOCK_SRC}/include
    PRIVATE ${GTEST_SRC} ${GMOCK_SRC})
  target_compile_options(test_gtest PRIVATE -w)
  add_library(test_gtest_main STATIC ${GTEST_SRC}/src/gtest_main.cc)
  target_link_libraries(test_gtest_main PUBLIC test_gtest)
  target_compile_options(test_gtest_main PRIVATE -w)
endif()
