cmake_minimum_required(VERSION 3.25)
# The layer check finds includes that break the layers: on a copy of src/,
# clean it passes, and each include planted in it makes it fail.
#   cmake -DSOURCE_DIR=src -DQT_INCLUDE_ROOT=... -DWORK_DIR=... -DCHECK=CheckLayers.cmake -P SeededFaults.cmake

set(copy ${WORK_DIR}/src)
file(REMOVE_RECURSE ${WORK_DIR})
file(COPY ${SOURCE_DIR}/ DESTINATION ${copy})

function(run_check expect_pass what)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${copy} -DQT_INCLUDE_ROOT=${QT_INCLUDE_ROOT} -P ${CHECK}
    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(expect_pass AND NOT result EQUAL 0)
    message(FATAL_ERROR "${what}: the check failed:\n${out}")
  elseif(NOT expect_pass AND result EQUAL 0)
    message(FATAL_ERROR "${what}: the check passed")
  endif()
endfunction()

run_check(TRUE "the sources as they are")

# file | the include planted in it | what it breaks
set(PLANTED_INCLUDES
  "records/RecordSet.cpp|#include \"caseform/CaseForm.h\"|the data layer reaching up to the window's form"
  "records/CaseDatabase.cpp|#include <QtWidgets/QWidget>|a widget header in the data layer"
  "records/CaseSchema.cpp|#include <QLabel>|a bare widget header in the data layer"
  "jetsql/JetSql.cpp|#include <QSqlQuery>|Qt SQL in the translator"
  "jetsql/KeysetQuery.cpp|#include \"records/CaseDatabase.h\"|the translator reaching up to the data layer"
  "platform/core/Classic.cpp|#include \"platform/TextBox.h\"|the runtime's core reaching to its widgets"
  "print/FrontSide.cpp|#include \"app/frmMain.h\"|the page program reaching up to the window"
  "caseform/CaseForm.cpp|#include \"browser/DataGrid.h\"|one upper layer reaching into another"
  "safekeeping/CsvExport.cpp|#include <QSqlDatabase>|Qt SQL in the safekeeping jobs, which run on threads of their own"
  "safekeeping/OnlineBackup.cpp|#include \"caseform/RecordBinder.h\"|the safekeeping jobs reaching up to the window's binding"
  "records/RecordSet.cpp|#include \"safekeeping/BackupKeeper.h\"|the data layer reaching up to the safekeeping jobs"
  "commands/CopyCommands.cpp|#include \"app/frmMain.h\"|a command reaching back into the main window"
  "session/CaseSession.cpp|#include <QWidget>|a widget in the session between the windows and the data")
foreach(planted ${PLANTED_INCLUDES})
  string(REPLACE "|" ";" entry "${planted}")
  list(GET entry 0 file)
  list(GET entry 1 line)
  list(GET entry 2 what)
  file(READ ${copy}/${file} original)
  file(WRITE ${copy}/${file} "${line}\n${original}")
  run_check(FALSE "${what} (${file})")
  file(WRITE ${copy}/${file} "${original}")
endforeach()
file(REMOVE_RECURSE ${WORK_DIR})
