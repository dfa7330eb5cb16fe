# Prints the size of FILE, and fails the build when the product outgrows its floppy budget.
file(SIZE ${FILE} size)
math(EXPR kib "${size} / 1024")
get_filename_component(name ${FILE} NAME)
message(STATUS "${name}: ${size} bytes (${kib} KiB)")
# The budget: 700 KB, so that growth is seen early
# (the aim is 650 KB).
set(limit 716800)
math(EXPR room "${limit} - ${size}")
message(STATUS "${name}: ${room} bytes of room under the limit of ${limit}")
if(ENFORCE AND size GREATER limit)
  message(FATAL_ERROR "${name} is over its limit of ${limit} bytes")
endif()
