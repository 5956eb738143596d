# The string hash behind the name tables and the document's number pool, added to
# tessary_document; included by document/CMakeLists.txt after the library is defined.
target_sources(tessary_document PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/StringHash.h ${CMAKE_CURRENT_LIST_DIR}/StringHash.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NumberPool.h ${CMAKE_CURRENT_LIST_DIR}/NumberPool.cpp
)

tessary_test(document_tables_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/StringHashTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/tests/NumberPoolTest.cpp
  LIBS tessary_document)
