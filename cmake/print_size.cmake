# Prints the size of FILE, and fails the build when the product outgrows its floppy budget.
file(SIZE ${FILE} size)
math(EXPR kib "${size} / 1024")
get_filename_component(name ${FILE} NAME)
message(STATUS "${name}: ${size} bytes (${kib} KiB)")
# The budget: the program as it is with a few kilobytes of room, so that growth is seen early
# (the aim is 650 KB and a limit of 700 KB).
set(limit 737280)
math(EXPR room "${limit} - ${size}")
message(STATUS "${name}: ${room} bytes of room under the limit of ${limit}")
if(ENFORCE AND size GREATER limit)
  message(FATAL_ERROR "${name} is over its limit of ${limit} bytes")
endif()
