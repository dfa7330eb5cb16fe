# Prints the size of FILE, and fails the build when the product outgrows its floppy budget.
file(SIZE ${FILE} size)
math(EXPR kib "${size} / 1024")
get_filename_component(name ${FILE} NAME)
message(STATUS "${name}: ${size} bytes (${kib} KiB)")
if(ENFORCE AND size GREATER 819200)
  message(FATAL_ERROR "${name} is over 800 KB")
endif()
