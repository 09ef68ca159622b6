# cmake -DFPSYNTH=... -DBLANKCARD=... -DOUT=DIR -DSEED=S -DFINGERS=N -DIMPRESSIONS=K
#       -DLABELS="label=number|..." -DCARDS="name=UID|..." -P DemoData.cmake
#
# Makes the demonstration data in OUT: fingers/<label>/impression-K.png (fpsynth's finger
# <number> of that seed, 500 dpi) and cards/<name>.mfd (factory-fresh MIFARE Classic 1K dumps).
# Only what is missing is made: an existing finger folder or card file is never touched, so a
# card that was written keeps its contents. A finger folder appears whole or not at all.
foreach(var FPSYNTH BLANKCARD OUT SEED FINGERS IMPRESSIONS LABELS CARDS)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "DemoData.cmake: ${var} is not set")
  endif()
endforeach()
# The lists come with "|" between entries (a ";" would split the command line).
string(REPLACE "|" ";" LABELS "${LABELS}")
string(REPLACE "|" ";" CARDS "${CARDS}")

set(missing)
foreach(entry IN LISTS LABELS)
  string(REPLACE "=" ";" pair "${entry}")
  list(GET pair 0 label)
  if(NOT EXISTS "${OUT}/fingers/${label}")
    list(APPEND missing "${entry}")
  endif()
endforeach()

if(missing)
  set(work "${OUT}/fingers/.synth")
  file(REMOVE_RECURSE "${work}")
  execute_process(
    COMMAND "${FPSYNTH}" --out "${work}" --fingers ${FINGERS} --impressions ${IMPRESSIONS}
            --seed ${SEED}
    RESULT_VARIABLE status OUTPUT_QUIET)
  if(NOT status EQUAL 0)
    file(REMOVE_RECURSE "${work}")
    message(FATAL_ERROR "fpsynth failed (${status})")
  endif()
  foreach(entry IN LISTS missing)
    string(REPLACE "=" ";" pair "${entry}")
    list(GET pair 0 label)
    list(GET pair 1 number)
    set(part "${OUT}/fingers/.${label}.part")
    file(REMOVE_RECURSE "${part}")
    file(MAKE_DIRECTORY "${part}")
    foreach(k RANGE 1 ${IMPRESSIONS})
      file(COPY_FILE "${work}/${number}_${k}.png" "${part}/impression-${k}.png")
    endforeach()
    file(RENAME "${part}" "${OUT}/fingers/${label}")
  endforeach()
  file(REMOVE_RECURSE "${work}")
endif()

foreach(entry IN LISTS CARDS)
  string(REPLACE "=" ";" pair "${entry}")
  list(GET pair 0 name)
  list(GET pair 1 uid)
  execute_process(COMMAND "${BLANKCARD}" "${OUT}/cards/${name}.mfd" ${uid}
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "blankcard failed for ${name} (${status})")
  endif()
endforeach()
