# SPDX-License-Identifier: MIT
# The messages marked in the programs' sources (_(), N_(), trn()):
#   MODE=update  extracts them to po/zelkor.pot and merges it into each .po;
#   MODE=check   fails when po/zelkor.pot misses a message of the sources or
#                keeps one they no longer have, or when a .po leaves one
#                untranslated or fuzzy.
file(GLOB sources RELATIVE ${SOURCE_DIR}
     ${SOURCE_DIR}/common/*/*.cpp ${SOURCE_DIR}/pivot_gauss/*.cpp ${SOURCE_DIR}/jacobi_rot/*.cpp
     ${SOURCE_DIR}/lu_spectrum/*.cpp ${SOURCE_DIR}/polyroots/*.cpp)
list(SORT sources)
set(pot ${SOURCE_DIR}/po/zelkor.pot)
if(MODE STREQUAL "check")
  set(out ${WORK_DIR}/extracted.pot)
else()
  set(out ${pot})
endif()
execute_process(COMMAND ${XGETTEXT} --language=C++ --from-code=UTF-8 --keyword=_ --keyword=N_ --keyword=trn:1,2
                        --add-comments=TRANSLATORS: --package-name=zelkor
                        --sort-by-file -o ${out} ${sources}
                WORKING_DIRECTORY ${SOURCE_DIR} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "xgettext failed")
endif()
if(NOT MODE STREQUAL "check")
  # xgettext's boilerplate comment gives way to the licence and a purpose line.
  file(READ ${pot} text)
  string(REGEX REPLACE "^(#[^\n]*\n)*#, fuzzy\n" "" text "${text}")
  file(WRITE ${pot} "# SPDX-License-Identifier: MIT\n# The programs' messages, extracted from the sources by the build target pot.\n${text}")
endif()

foreach(language IN LISTS LANGUAGES)
  set(po ${SOURCE_DIR}/po/${language}.po)
  if(MODE STREQUAL "check")
    execute_process(COMMAND ${MSGCMP} ${po} ${out} RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "po/${language}.po misses translations of the sources' messages (above); "
                          "run the target pot and translate them")
    endif()
  else()
    execute_process(COMMAND ${MSGMERGE} --quiet --update --backup=none --no-wrap ${po} ${pot})
  endif()
endforeach()

if(MODE STREQUAL "check")
  # Both ways: the committed template has exactly the sources' messages.
  execute_process(COMMAND ${MSGCMP} --use-untranslated ${pot} ${out} RESULT_VARIABLE missing)
  execute_process(COMMAND ${MSGCMP} --use-untranslated ${out} ${pot} RESULT_VARIABLE extra)
  if(missing OR extra)
    message(FATAL_ERROR "po/zelkor.pot is not the sources' messages: run the target pot")
  endif()
endif()
