# The sources of qvbase_qvnf_report, the walking and checking behind qvnf; the
# fuzz build compiles them into its qvnf target without building tools.
set(QVNF_REPORT_SOURCES)
foreach(f Cursor Chain Nest ColorTable FileReport Output Dump Diff Salvage
          SalvagePlan SalvageAssemble SafeSave)
  list(APPEND QVNF_REPORT_SOURCES ${CMAKE_CURRENT_LIST_DIR}/${f}.cpp)
endforeach()
