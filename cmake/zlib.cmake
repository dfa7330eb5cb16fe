# zlib for the Windows programs, built from Debian's source package of zlib (scripts/setup
# unpacks it into KOLVAR_ZLIB_SOURCE) rather than taken from libz-mingw-w64-dev, whose archive
# is made at -O2 without function sections: every function of an object comes in with the one
# the program calls (inflateCopy, inflateSync... with inflate), and the CRC's 8 KB of tables
# with it. Built here for size, each function in a section of its own, without unwind tables
# (no exception passes through zlib: it calls back only into malloc and free), and without the
# gzip wrapper, which nothing reads or writes. The inner loop of inflate stays at -O2: it is
# where unpacking spends its time.
# Without the source (a tree configured before scripts/setup ran) the packaged archive serves.
set(KOLVAR_ZLIB_SOURCE /usr/local/src/kolvar/zlib CACHE PATH "zlib's unpacked source package")
if(NOT EXISTS ${KOLVAR_ZLIB_SOURCE}/inflate.c)
  message(WARNING "zlib's source is not in ${KOLVAR_ZLIB_SOURCE} (scripts/setup puts it "
                  "there): linking the packaged libz.a, which makes INSTALL.EXE larger")
  set(ZLIB_USE_STATIC_LIBS ON)
  find_package(ZLIB REQUIRED)
  return()
endif()
set(zlib_files adler32 compress crc32 deflate inffast inflate inftrees trees uncompr zutil)
list(TRANSFORM zlib_files PREPEND ${KOLVAR_ZLIB_SOURCE}/)
list(TRANSFORM zlib_files APPEND .c)
add_library(kolvar_zlib STATIC ${zlib_files})
target_include_directories(kolvar_zlib SYSTEM PUBLIC ${KOLVAR_ZLIB_SOURCE})
target_compile_definitions(kolvar_zlib PRIVATE NO_GZIP)
target_compile_options(kolvar_zlib PRIVATE -fno-asynchronous-unwind-tables -fno-unwind-tables
                       -w)
set_source_files_properties(${KOLVAR_ZLIB_SOURCE}/inffast.c PROPERTIES COMPILE_OPTIONS -O2)
add_library(ZLIB::ZLIB ALIAS kolvar_zlib)
