# Package sets, sourced by the top-level scripts.
TL_BUILD_PACKAGES="g++ cmake ninja-build ccache libgtest-dev python3"
TL_X86_PACKAGES="g++-multilib qemu-user"
TL_SANITIZER_PACKAGES="clang libclang-rt-14-dev"
TL_ORACLE_PACKAGES="ffmpeg mjpegtools mpeg2dec"
TL_WINDOWS_PACKAGES="mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 wine wine64 xvfb xauth x11-utils imagemagick"
