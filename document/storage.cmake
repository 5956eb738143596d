# Byte streams and the chunked document stream, added to tessary_document; included by
# document/CMakeLists.txt after the library is defined.
target_sources(tessary_document PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ByteStream.h ${CMAKE_CURRENT_LIST_DIR}/ByteStream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CountStream.h ${CMAKE_CURRENT_LIST_DIR}/CountStream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MemoryStream.h ${CMAKE_CURRENT_LIST_DIR}/MemoryStream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileInStream.h ${CMAKE_CURRENT_LIST_DIR}/FileInStream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileOutStream.h ${CMAKE_CURRENT_LIST_DIR}/FileOutStream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ExportStream.h ${CMAKE_CURRENT_LIST_DIR}/ExportStream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DocStream.h ${CMAKE_CURRENT_LIST_DIR}/DocStream.cpp
  ${PROJECT_SOURCE_DIR}/plot/GraphicsPrim.h
  ${PROJECT_SOURCE_DIR}/plot/GraphicsPrim3D.h
)

tessary_test(document_stream_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/ByteStreamTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/tests/DocStreamTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/tests/DocStreamDamageTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/tests/DocStreamRoundTripTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/tests/StoredKinds.h
          ${CMAKE_CURRENT_LIST_DIR}/tests/StreamBytes.h
  LIBS tessary_document)

tessary_fuzz(document_stream_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz/DocStreamFuzz.cpp
  LIBS tessary_document)
