#!/usr/bin/env bash
# Exits 0 when this machine's kernel runs 32-bit x86 programs, which 32-bit Wine needs: some
# virtual machines' kernels do not. Tries a three-instruction program that only exits.
set -euo pipefail
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
printf '.globl _start\n_start:\n movl $1, %%eax\n xorl %%ebx, %%ebx\n int $0x80\n' >"$dir/exit.s"
as --32 "$dir/exit.s" -o "$dir/exit.o" && ld -m elf_i386 "$dir/exit.o" -o "$dir/exit" &&
  "$dir/exit" 2>/dev/null
