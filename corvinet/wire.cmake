# The link library's wire side: text codec and character encodings, machine numbers, the wire
# format and the put and get engines. Included by corvinet/CMakeLists.txt once the object
# libraries exist.

target_sources(corvinet_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CharacterEscapes.h ${CMAKE_CURRENT_LIST_DIR}/CharacterEscapes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NumberCodes.h
  ${CMAKE_CURRENT_LIST_DIR}/NumberConverter.h ${CMAKE_CURRENT_LIST_DIR}/NumberConverter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NumberText.h ${CMAKE_CURRENT_LIST_DIR}/NumberText.cpp
)
target_sources(corvinet_i2 PRIVATE ${CMAKE_CURRENT_LIST_DIR}/Interface2Numbers.cpp)
target_sources(corvinet_i1 PRIVATE ${CMAKE_CURRENT_LIST_DIR}/interface1/Interface1Numbers.cpp)
set(CORVINET_HAS_CONVERTER ON)

tessary_test(corvinet_codec_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/CharacterEscapesTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/tests/NumberConverterTest.cpp
  LIBS corvinet_static_i2)
tessary_test(corvinet_codec1_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/Interface1NumbersTest.cpp
  LIBS corvinet_static_i1)
