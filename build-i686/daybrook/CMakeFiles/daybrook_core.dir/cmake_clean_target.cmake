file(REMOVE_RECURSE
  "../lib/libdaybrook_core.a"
)
