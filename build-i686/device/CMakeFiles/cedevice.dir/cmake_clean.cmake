file(REMOVE_RECURSE
  "../bin/cedevice.dll"
  "../bin/cedevice.pdb"
  "../lib/libcedevice.dll.a"
  "CMakeFiles/cedevice.dir/src/dllmain.cpp.obj"
  "CMakeFiles/cedevice.dir/src/dllmain.cpp.obj.d"
  "CMakeFiles/cedevice.dir/src/environment.cpp.obj"
  "CMakeFiles/cedevice.dir/src/environment.cpp.obj.d"
  "CMakeFiles/cedevice.dir/src/object_store.cpp.obj"
  "CMakeFiles/cedevice.dir/src/object_store.cpp.obj.d"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/cedevice.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
