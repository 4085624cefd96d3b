# Makes the Node build of the command line runnable by itself: a
# "#!/usr/bin/env node" first line and the run bit.
file(READ "${SCRIPT}" body)
if(NOT body MATCHES "^#!")
  file(WRITE "${SCRIPT}" "#!/usr/bin/env node\n${body}")
endif()
file(CHMOD "${SCRIPT}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
     WORLD_READ WORLD_EXECUTE)
