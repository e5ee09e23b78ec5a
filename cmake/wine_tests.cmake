# The end-to-end tests a second time, against the Windows programs under Wine: the same Linux
# test binaries run the .exe files (KT_WINE_PROGRAMS, the folder that holds them, such as the
# unpacked Windows zip) through wine, in a prefix the run creates in a temporary folder and
# removes. Their ctest names start with "wine.".
set(KT_WINE_PROGRAMS "" CACHE PATH "Folder of the Windows .exe programs to test under Wine (empty: none)")

# Cases that cannot run on Windows, by the regular expression of their names, with the reason.
# They are registered all the same and shown as "Not Run (Disabled)", never skipped silently.
# (No semicolon in a reason: it would split the list.)
set(kt_wine_excluded
  "strip_output_is_a_link_to_the_input|a_link_to_a_regular_file"
    "symbolic links are a POSIX file system object that Windows programs neither make nor follow"
  "failed_write_to_a_device|standard_output_full"
    "/dev/full is a Linux device: Windows has no device that fails every write"
  "file_size_limit" "the file size limit (setrlimit with SIGXFSZ) is POSIX only"
  "read_only_folder" "a Windows folder has no write permission that stops creating files in it"
  "long_names|name_longer_than_1024"
    "a path over 260 characters (MAX_PATH) needs the long-path opt-in of Windows 10 and later"
  "non_ascii" "Windows programs get their arguments in the ANSI code page, not as the bytes given"
)

if(NOT KT_WINE_PROGRAMS)
  function(kt_wine_gtest target)
  endfunction()
  function(kt_wine_test name)
  endfunction()
  return()
endif()

find_program(KT_WINE NAMES wine wine64 REQUIRED)
find_program(KT_WINESERVER NAMES wineserver REQUIRED)
string(MD5 kt_build_hash "${CMAKE_BINARY_DIR}")
string(SUBSTRING "${kt_build_hash}" 0 10 kt_build_hash)
if(DEFINED ENV{TMPDIR})
  set(kt_tmp "$ENV{TMPDIR}")
else()
  set(kt_tmp /tmp)
endif()
set(KT_WINE_PREFIX "${kt_tmp}/ktu_tools-wine-${kt_build_hash}")

# Mono and Gecko are not wanted: their installers would ask and slow the prefix's creation.
set(kt_wine_env
  "WINEPREFIX=${KT_WINE_PREFIX}" "WINEDEBUG=-all" "WINEDLLOVERRIDES=mscoree,mshtml="
  "KT_RUNNER=${KT_WINE}" "KT_PROGRAM_DIR=${KT_WINE_PROGRAMS}" "KT_PROGRAM_SUFFIX=.exe"
  "KT_PROGRAM_SYSTEM=Windows" "KT_CONSOLE_CRLF=1")

# A fresh prefix, with its server and services kept running for all the tests (one start
# instead of hundreds). They are started here with their output to /dev/null: a daemon that
# inherited a test's output would keep ctest waiting for that test's end.
add_test(NAME wine.prefix_create
  COMMAND sh -c "rm -rf \"$WINEPREFIX\" && mkdir -p \"$WINEPREFIX\" && \"$1\" -p </dev/null >/dev/null 2>&1 && wineboot -i </dev/null >/dev/null 2>&1"
    sh ${KT_WINESERVER})
add_test(NAME wine.prefix_remove
  COMMAND sh -c "(\"$1\" -k || true) && rm -rf \"$WINEPREFIX\"" sh ${KT_WINESERVER})
set_tests_properties(wine.prefix_create PROPERTIES FIXTURES_SETUP kt_wine ENVIRONMENT "${kt_wine_env}")
set_tests_properties(wine.prefix_remove PROPERTIES FIXTURES_CLEANUP kt_wine ENVIRONMENT "${kt_wine_env}")

# The script that sets, on every case gtest discovered for a target, the wine environment and
# the prefix fixture, and disables the excluded cases. Set here rather than through
# gtest_discover_tests(PROPERTIES): that passes a list value (ENVIRONMENT) on as separate words.
function(kt_wine_properties list_var script)
  string(CONCAT body "# Made by cmake/wine_tests.cmake: the cases run against the Windows programs.\n"
    "foreach(t IN LISTS ${list_var})\n"
    "  set_tests_properties(\"\${t}\" PROPERTIES ENVIRONMENT \"${kt_wine_env}\"\n"
    "    FIXTURES_REQUIRED kt_wine TIMEOUT 300)\n"
    "endforeach()\n")
  set(pairs ${kt_wine_excluded})
  while(pairs)
    list(POP_FRONT pairs pattern reason)
    string(APPEND body "# Not on Windows: ${reason}\n"
      "foreach(t IN LISTS ${list_var})\n"
      "  if(t MATCHES \"${pattern}\")\n"
      "    set_tests_properties(\"\${t}\" PROPERTIES DISABLED TRUE)\n"
      "  endif()\n"
      "endforeach()\n")
  endwhile()
  file(WRITE ${script} "${body}")
endfunction()

# Registers the cases of a GoogleTest program again, run against the Windows programs.
function(kt_wine_gtest target)
  gtest_discover_tests(${target} TEST_PREFIX wine. TEST_LIST kt_wine_${target}
    DISCOVERY_TIMEOUT 60)
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}_wine_properties.cmake)
  kt_wine_properties(kt_wine_${target} ${script})
  # After gtest's own include file, which defines the list.
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
endfunction()

# A plain test (a script) run against the Windows programs with the same environment.
function(kt_wine_test name)
  add_test(NAME wine.${name} ${ARGN})
  set_tests_properties(wine.${name} PROPERTIES ENVIRONMENT "${kt_wine_env}" FIXTURES_REQUIRED kt_wine
    TIMEOUT 600)
endfunction()
