# Build tools: the LLVM linker where the compiler can use it. The tree links
# about two hundred programs and libraries against wxWidgets and Boost, each
# two to three times faster with lld than with the default linker, which is
# used where lld is missing.
include(CheckLinkerFlag)
check_linker_flag(CXX "-fuse-ld=lld" VEQ_HAVE_LLD)
if(VEQ_HAVE_LLD)
  add_link_options(-fuse-ld=lld)
endif()
