# The link direction between the engine and the programs, checked when the build is
# configured: no library of lib/ links a library or program of programs/. The tests check the
# other half of the rule on the built libraries: the engine calls no function that prints or
# opens a file (tests/engine_rules.sh).
set(kt_engine_targets kt_formats kt_byte_parse kt_universal kt_routines)
set(kt_program_targets kt_common kt_ktulist kt_bytepack kt_ktupack KtuList KtbPack KtaPack KtuPack)
foreach(lib IN LISTS kt_engine_targets)
  if(NOT TARGET ${lib})
    continue()
  endif()
  get_target_property(links ${lib} LINK_LIBRARIES)
  get_target_property(interface_links ${lib} INTERFACE_LINK_LIBRARIES)
  foreach(dep IN LISTS links interface_links)
    if(dep IN_LIST kt_program_targets)
      message(FATAL_ERROR "${lib} (engine, lib/) links ${dep} (programs/): the engine uses no program")
    endif()
  endforeach()
endforeach()
