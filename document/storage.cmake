# Byte streams and the chunked document stream, added to tessary_document; included by
# document/CMakeLists.txt after the library is defined.
target_sources(tessary_document PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ByteStream.h ${CMAKE_CURRENT_LIST_DIR}/ByteStream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CountStream.h ${CMAKE_CURRENT_LIST_DIR}/CountStream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MemoryStream.h ${CMAKE_CURRENT_LIST_DIR}/MemoryStream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileInStream.h ${CMAKE_CURRENT_LIST_DIR}/FileInStream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileOutStream.h ${CMAKE_CURRENT_LIST_DIR}/FileOutStream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ExportStream.h ${CMAKE_CURRENT_LIST_DIR}/ExportStream.cpp
)

tessary_test(document_stream_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/ByteStreamTest.cpp
  LIBS tessary_document)
