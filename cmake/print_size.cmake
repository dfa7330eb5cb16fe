# Prints the size of FILE, and fails the build when the product outgrows its floppy budget.
file(SIZE ${FILE} size)
math(EXPR kib "${size} / 1024")
get_filename_component(name ${FILE} NAME)
message(STATUS "${name}: ${size} bytes (${kib} KiB)")
# The budget while the write layer, the database copy and the fixed-place log are new; the
# size work that follows brings the program to 650 KB and this limit to 700 KB.
set(limit 851968)
math(EXPR room "${limit} - ${size}")
message(STATUS "${name}: ${room} bytes of room under the limit of ${limit}")
if(ENFORCE AND size GREATER limit)
  message(FATAL_ERROR "${name} is over 832 KB")
endif()
