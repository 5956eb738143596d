# The link library's wire side: text codec and character encodings, machine numbers, the wire
# format and the put and get engines. Included by corvinet/CMakeLists.txt once the object
# libraries exist.

set(dir ${CMAKE_CURRENT_LIST_DIR})
target_sources(corvinet_core PRIVATE
  ${dir}/CharacterEscapes.h ${dir}/CharacterEscapes.cpp ${dir}/CharacterFunctions.cpp
  ${dir}/NumberCodes.h
  ${dir}/NumberConverter.h ${dir}/NumberConverter.cpp
  ${dir}/NumberText.h ${dir}/NumberText.cpp
  ${dir}/NumberFunctions.cpp
  ${dir}/TokenBytes.h ${dir}/EngineGate.h ${dir}/EngineStates.cpp
  ${dir}/TextEncoder.h ${dir}/TextEncoder.cpp
  ${dir}/TextToken.h ${dir}/TextToken.cpp
  ${dir}/PutState.h ${dir}/PutState.cpp ${dir}/PutFunctions.cpp
  ${dir}/GetState.h ${dir}/GetState.cpp ${dir}/GetFunctions.cpp
  ${dir}/ArrayState.h ${dir}/ArrayState.cpp ${dir}/ArrayFunctions.cpp ${dir}/ArrayStateFunctions.cpp
  ${dir}/MarksAndTransfer.cpp
  ${dir}/NextPacket.cpp
  ${dir}/RealNumberText.h ${dir}/RealNumberText.cpp
)
target_sources(corvinet_i2 PRIVATE ${dir}/Interface2Numbers.cpp)
target_sources(corvinet_i1 PRIVATE ${dir}/interface1/Interface1Numbers.cpp)

tessary_test(corvinet_codec_tests
  SOURCES ${dir}/tests/CharacterEscapesTest.cpp
          ${dir}/tests/CharacterFunctionsTest.cpp
          ${dir}/tests/NumberConverterTest.cpp
  LIBS corvinet_static_i2)
tessary_test(corvinet_wire_tests
  SOURCES ${dir}/tests/WireGoldenTest.cpp
          ${dir}/tests/RoundTripTest.cpp
          ${dir}/tests/GetSideTest.cpp
          ${dir}/tests/ArrayTest.cpp
          ${dir}/tests/ArrayGetTest.cpp
          ${dir}/tests/TransferTest.cpp
          ${dir}/tests/PacketTest.cpp
          ${dir}/tests/TextPiecesTest.cpp
          ${dir}/tests/RealNumberTextTest.cpp
          ${dir}/tests/RawViewTest.cpp
  LIBS corvinet_static_i2)
tessary_test(corvinet_wire1_tests
  SOURCES ${dir}/tests/Interface1NumbersTest.cpp
  LIBS corvinet_static_i1)

# The get side over arbitrary bytes; run it longer by hand with -runs=1000000.
tessary_fuzz(corvinet_get_fuzz
  SOURCES ${dir}/fuzz/GetSideFuzz.cpp
  LIBS corvinet_static_i2
  RUNS 20000)

# Writes the fuzz target's seeds, packets from the put side; the test fails while the checked-in
# seeds differ from what it writes.
if(TESSARY_TESTS)
  add_executable(corvinet_get_corpus ${dir}/fuzz/GetSideCorpus.cpp)
  target_link_libraries(corvinet_get_corpus PRIVATE corvinet_static_i2)
  add_test(NAME corvinet_get_corpus COMMAND corvinet_get_corpus check ${dir}/fuzz/corpus)
  set_tests_properties(corvinet_get_corpus PROPERTIES LABELS unit)
endif()
