# Which source goes into which library is decided by where it lies, so that adding a unit never means editing
# a shared build file:
#   src/{xml,common,serial,engine,print,help,platform}/*.cpp      -> orlantis_core (no Qt)
#   src/{common,serial,print,help,platform}/ui/*.cpp             -> orlantis_ui   (Qt)
#   src/{shell,grid,forms}/**.cpp                                  -> orlantis_ui
set(ORLANTIS_CORE_DIRS xml common serial engine print help platform)
set(ORLANTIS_UI_DIRS shell grid forms)

function(orlantis_core_library)
  set(srcs)
  foreach(d ${ORLANTIS_CORE_DIRS})
    file(GLOB s CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${d}/*.cpp)
    list(APPEND srcs ${s})
  endforeach()
  add_library(orlantis_core STATIC ${srcs})
  target_include_directories(orlantis_core PUBLIC ${CMAKE_SOURCE_DIR}/src ${CMAKE_BINARY_DIR}/generated)
  find_package(Threads REQUIRED)
  target_link_libraries(orlantis_core PUBLIC Threads::Threads)
  if(NOT ORLANTIS_FUZZ)
    find_package(JPEG REQUIRED)
    target_link_libraries(orlantis_core PUBLIC JPEG::JPEG)
  endif()
endfunction()

function(orlantis_ui_library)
  set(srcs)
  foreach(d ${ORLANTIS_CORE_DIRS})
    file(GLOB_RECURSE s CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${d}/ui/*.cpp ${CMAKE_SOURCE_DIR}/src/${d}/ui/*.h)
    list(APPEND srcs ${s})
  endforeach()
  foreach(d ${ORLANTIS_UI_DIRS})
    file(GLOB_RECURSE s CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${d}/*.cpp ${CMAKE_SOURCE_DIR}/src/${d}/*.h)
    list(APPEND srcs ${s})
  endforeach()
  file(GLOB_RECURSE qrc CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*.qrc)
  add_library(orlantis_ui STATIC ${srcs} ${qrc})
  target_link_libraries(orlantis_ui PUBLIC orlantis_core Qt6::Widgets Qt6::PrintSupport)
  set_target_properties(orlantis_ui PROPERTIES AUTOMOC ON AUTORCC ON)
endfunction()

# One test executable per folder under tests/: tests/<dir>/*.cpp links the core (and the Qt library for
# src/{shell,grid,forms}), tests/<dir>/ui/*.cpp links the
# Qt layer and runs offscreen.
function(orlantis_folder_tests dir)
  file(GLOB core_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
  if(core_tests)
    add_executable(test_${dir} ${core_tests})
    # Folders whose sources all live in the Qt library link it for their plain tests too; no QApplication.
    if(dir IN_LIST ORLANTIS_UI_DIRS)
      target_link_libraries(test_${dir} PRIVATE orlantis_ui)
    endif()
    target_link_libraries(test_${dir} PRIVATE orlantis_core GTest::gtest GTest::gmock GTest::gtest_main)
    target_include_directories(test_${dir} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    target_compile_definitions(test_${dir} PRIVATE ORLANTIS_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
      ORLANTIS_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
    gtest_discover_tests(test_${dir} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
  endif()
  file(GLOB_RECURSE ui_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/ui/*.cpp)
  if(ui_tests)
    add_executable(test_${dir}_ui ${ui_tests} ${CMAKE_CURRENT_SOURCE_DIR}/support/QtTestMain.cpp)
    target_link_libraries(test_${dir}_ui PRIVATE orlantis_ui Qt6::Test GTest::gtest GTest::gmock)
    target_include_directories(test_${dir}_ui PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    target_compile_definitions(test_${dir}_ui PRIVATE ORLANTIS_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
      ORLANTIS_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
    gtest_discover_tests(test_${dir}_ui DISCOVERY_TIMEOUT 60
      PROPERTIES TIMEOUT 300 ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endif()
endfunction()
