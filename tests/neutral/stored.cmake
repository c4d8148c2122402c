qv_add_gtest(QvStoredObjectTests
  SOURCES ColorTableTest.cpp WritableObjTest.cpp LABELS neutral)
