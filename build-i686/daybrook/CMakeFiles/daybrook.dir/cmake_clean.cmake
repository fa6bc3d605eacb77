file(REMOVE_RECURSE
  "../bin/daybrook.dll"
  "../bin/daybrook.pdb"
  "../lib/libdaybrook.dll.a"
  "CMakeFiles/daybrook.dir/agenda/agenda_builder.cpp.obj"
  "CMakeFiles/daybrook.dir/agenda/agenda_builder.cpp.obj.d"
  "CMakeFiles/daybrook.dir/agenda/agenda_item.cpp.obj"
  "CMakeFiles/daybrook.dir/agenda/agenda_item.cpp.obj.d"
  "CMakeFiles/daybrook.dir/agenda/agenda_list.cpp.obj"
  "CMakeFiles/daybrook.dir/agenda/agenda_list.cpp.obj.d"
  "CMakeFiles/daybrook.dir/extensions/extension_table.cpp.obj"
  "CMakeFiles/daybrook.dir/extensions/extension_table.cpp.obj.d"
  "CMakeFiles/daybrook.dir/host/entry.cpp.obj"
  "CMakeFiles/daybrook.dir/host/entry.cpp.obj.d"
  "CMakeFiles/daybrook.dir/host/host_state.cpp.obj"
  "CMakeFiles/daybrook.dir/host/host_state.cpp.obj.d"
  "CMakeFiles/daybrook.dir/host/item_window.cpp.obj"
  "CMakeFiles/daybrook.dir/host/item_window.cpp.obj.d"
  "CMakeFiles/daybrook.dir/host/loader.cpp.obj"
  "CMakeFiles/daybrook.dir/host/loader.cpp.obj.d"
  "CMakeFiles/daybrook.dir/host/resource_module.cpp.obj"
  "CMakeFiles/daybrook.dir/host/resource_module.cpp.obj.d"
  "CMakeFiles/daybrook.dir/interact/installed_programs.cpp.obj"
  "CMakeFiles/daybrook.dir/interact/installed_programs.cpp.obj.d"
  "CMakeFiles/daybrook.dir/resources/daybrook.rc.res"
  "CMakeFiles/daybrook.dir/settings/options.cpp.obj"
  "CMakeFiles/daybrook.dir/settings/options.cpp.obj.d"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX RC)
  include(CMakeFiles/daybrook.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
