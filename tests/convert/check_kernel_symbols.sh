#!/bin/sh
# Kernel objects built for an instruction set above the baseline must define no
# code the linker could share with other objects (weak code symbols, such as a
# template's out-of-line member): it might keep that copy for every caller, and
# a processor without the instruction set would fault in ordinary code. Shared
# constant data is harmless.
#   check_kernel_symbols.sh NM OBJECT...
nm=$1
shift
found=0
checked=0
for object in "$@"; do
    case "$object" in
    *_mmx.cpp.o | *_sse.cpp.o | *_sse2.cpp.o | *_sse3.cpp.o | *_avx2.cpp.o) ;;
    *) continue ;;
    esac
    checked=$((checked + 1))
    shared=$("$nm" "$object" | awk '$(NF-1) == "W"')
    if [ -n "$shared" ]; then
        echo "$object shares code with other objects:"
        echo "$shared"
        found=1
    fi
done
[ "$checked" -gt 0 ] || { echo "no kernel objects among the arguments"; exit 1; }
echo "$checked kernel objects checked"
exit $found
