# Compiles help.chm in a clean staging directory (chmcmd writes beside its
# project file) and fails the build when chmcmd fails, warns, or leaves no
# valid file. chmcmd stamps the compile time into the file, so two builds of
# the same pages are not byte-identical.
file(REMOVE_RECURSE ${STAGE_DIR})
file(MAKE_DIRECTORY ${STAGE_DIR})
foreach(file ${PROJECT_FILES} ${PAGES})
    file(COPY ${SOURCE_DIR}/${file} DESTINATION ${STAGE_DIR})
endforeach()

execute_process(
    COMMAND ${CHMCMD} --html-scan --verbosity 1 help.hhp
    WORKING_DIRECTORY ${STAGE_DIR}
    RESULT_VARIABLE result
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "chmcmd failed (${result}):\n${output}")
endif()

set(chm ${STAGE_DIR}/help.chm)
if(NOT EXISTS ${chm})
    message(FATAL_ERROR "chmcmd wrote no help.chm:\n${output}")
endif()
file(READ ${chm} signature LIMIT 4 HEX)
file(SIZE ${chm} size)
if(NOT signature STREQUAL "49545346" OR size LESS 4096)
    message(FATAL_ERROR "chmcmd wrote a broken help.chm (${size} bytes):\n${output}")
endif()
# The page scan reports a broken link or a missing page only as a warning.
if(output MATCHES "Warning|Error")
    message(FATAL_ERROR "chmcmd reported problems:\n${output}")
endif()

# Touched after copying: file(COPY) keeps the sources' times, which would
# leave the outputs looking older than this script and rebuild them each time.
file(COPY ${chm} DESTINATION ${BIN_DIR})
file(TOUCH ${BIN_DIR}/help.chm)
file(MAKE_DIRECTORY ${BIN_DIR}/help)
foreach(page ${PAGES})
    file(COPY ${SOURCE_DIR}/${page} DESTINATION ${BIN_DIR}/help)
    file(TOUCH ${BIN_DIR}/help/${page})
endforeach()
