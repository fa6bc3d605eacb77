
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/device/src/dllmain.cpp" "device/CMakeFiles/cedevice.dir/src/dllmain.cpp.obj" "gcc" "device/CMakeFiles/cedevice.dir/src/dllmain.cpp.obj.d"
  "/work/main/device/src/environment.cpp" "device/CMakeFiles/cedevice.dir/src/environment.cpp.obj" "gcc" "device/CMakeFiles/cedevice.dir/src/environment.cpp.obj.d"
  "/work/main/device/src/object_store.cpp" "device/CMakeFiles/cedevice.dir/src/object_store.cpp.obj" "gcc" "device/CMakeFiles/cedevice.dir/src/object_store.cpp.obj.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
