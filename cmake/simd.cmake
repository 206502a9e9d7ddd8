# Kernel files are compiled for exactly the instruction set their name says, so the
# plain reference files stay plain even on x86-64 where SSE2 is the baseline ABI.
# Source properties are directory-scoped, so they are set in the scope of the
# target's directory, where the sources are compiled, not the calling subdirectory.
function(tl_simd_sources target)
  foreach(src ${ARGN})
    if(src MATCHES "_mmx\\.cpp$")
      set_source_files_properties(${src} TARGET_DIRECTORY ${target} PROPERTIES COMPILE_OPTIONS "-mmmx")
    elseif(src MATCHES "_sse\\.cpp$")
      set_source_files_properties(${src} TARGET_DIRECTORY ${target} PROPERTIES COMPILE_OPTIONS "-mmmx;-msse")
    elseif(src MATCHES "_sse2\\.cpp$")
      set_source_files_properties(${src} TARGET_DIRECTORY ${target} PROPERTIES COMPILE_OPTIONS "-mmmx;-msse;-msse2")
    elseif(src MATCHES "_sse3\\.cpp$")
      set_source_files_properties(${src} TARGET_DIRECTORY ${target} PROPERTIES COMPILE_OPTIONS "-mmmx;-msse;-msse2;-msse3")
    elseif(src MATCHES "_avx2\\.cpp$")
      # GCC for Windows keeps 32-byte spill slots on a stack aligned to 16 at
      # most, then moves them with aligned instructions; the assembler turns
      # those into unaligned moves, which cost nothing on aligned data.
      set(avx2 "-mmmx;-msse;-msse2;-msse3;-mavx;-mavx2")
      if(WIN32)
        list(APPEND avx2 "-Wa,-muse-unaligned-vector-move")
      endif()
      set_source_files_properties(${src} TARGET_DIRECTORY ${target} PROPERTIES COMPILE_OPTIONS "${avx2}")
    endif()
  endforeach()
  target_sources(${target} PRIVATE ${ARGN})
endfunction()
