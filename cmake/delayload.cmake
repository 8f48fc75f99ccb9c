# Writes an assembly file of delay-load import thunks for the DLLs whose functions the
# given objects import (through __imp_ pointers, or by plain calls to functions their
# headers do not declare dllimport), so the program loads those DLLs on first call
# instead of at start-up. binutils 2.40 dlltool delay libraries cannot be used: on i386 they leave the
# IAT zeroed, and on x86_64 they keep only rcx/rdx/r8/r9 across the helper, so a
# floating-point argument arrives as garbage on the first call.
#
# Inputs: NM, OUT, POINTER_SIZE (4: i686, 8: x86_64), OBJECTS (;-list),
#   DLLS (;-list of name=importlib pairs: the DLLs to load late),
#   DIRECT (;-list of import libraries the program may keep importing at start-up).
# Fails when there is nothing to bind, when an import library holds no imports of this
# architecture, and when an object imports a function that neither list provides.
cmake_minimum_required(VERSION 3.20)

if(POINTER_SIZE EQUAL 8)
  set(imp_prefix "__imp_")
  set(imp_regex "__imp_[A-Za-z0-9_]+")
elseif(POINTER_SIZE EQUAL 4)
  set(imp_prefix "__imp__")
  set(imp_regex "__imp__[A-Za-z0-9_@]+")
else()
  message(FATAL_ERROR "delayload: POINTER_SIZE must be 4 or 8, not '${POINTER_SIZE}'")
endif()
# nm prints addresses as wide as the architecture's pointers: a symbol line of an import
# library built for this architecture.
math(EXPR digits "${POINTER_SIZE} * 2")
string(REPEAT "[0-9a-f]" ${digits} address)
set(own_import "(^|\n)${address} I ${imp_regex}")

# Runs nm with the given arguments; the listing goes to out.
function(run_nm out)
  execute_process(COMMAND ${NM} ${ARGN} OUTPUT_VARIABLE listing RESULT_VARIABLE rc
                  ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "delayload: ${NM} ${ARGN} failed (${rc}): ${err}")
  endif()
  set(${out} "${listing}" PARENT_SCOPE)
endfunction()

# The name a DLL exports for an import symbol: no __imp_ prefix, no i386 @N suffix.
function(export_name sym out)
  string(LENGTH "${imp_prefix}" skip)
  string(SUBSTRING "${sym}" ${skip} -1 plain)
  string(REGEX REPLACE "@[0-9]+$" "" plain "${plain}")
  set(${out} "${plain}" PARENT_SCOPE)
endfunction()

# Appends to asm the tables of one DLL: its name, hint/name entries, import name table
# and descriptor (read-only), then its module handle and IAT (written by the helper).
# The IAT slots start out pointing at the stubs.
function(append_tables dll id names first)
  if(POINTER_SIZE EQUAL 8)
    set(slot ".quad")
    set(int_pad "\t.long 0\n")
  else()
    set(slot ".long")
    set(int_pad "")
  endif()
  set(index ${first})
  set(hint "")
  set(int "")
  set(iat "")
  foreach(sym IN LISTS names)
    export_name("${sym}" plain)
    string(APPEND hint ".Lname${index}:\n\t.short 0\n\t.asciz \"${plain}\"\n\t.balign 2\n")
    string(APPEND int "\t.rva .Lname${index}\n${int_pad}")
    string(APPEND iat "\t.globl ${sym}\n${sym}:\n\t${slot} .Lstub${index}\n")
    math(EXPR index "${index} + 1")
  endforeach()
  string(APPEND asm
    "\n\t.section .rdata$delay_${id},\"dr\"\n\t.balign ${POINTER_SIZE}\n"
    ".Ldll_${id}:\n\t.asciz \"${dll}\"\n\t.balign 2\n${hint}"
    "\t.balign ${POINTER_SIZE}\n.Lint_${id}:\n${int}\t${slot} 0\n"
    "\t.balign 4\n.Ldescr_${id}:\n"
    "\t.long 1\n\t.rva .Ldll_${id}\n\t.rva .Lmodule_${id}\n\t.rva .Liat_${id}\n"
    "\t.rva .Lint_${id}\n\t.long 0\n\t.long 0\n\t.long 0\n"
    "\n\t.data\n\t.balign ${POINTER_SIZE}\n.Lmodule_${id}:\n\t${slot} 0\n"
    ".Liat_${id}:\n${iat}\t${slot} 0\n")
  set(asm "${asm}" PARENT_SCOPE)
endfunction()

# i686: each stub passes its IAT slot in eax to a shared tail, which keeps ecx and edx
# (fastcall and thiscall arguments; the rest are on the stack) across the helper. The
# call frame information lets an exception raised by the helper unwind through it.
function(append_code_x86 id names first)
  set(index ${first})
  string(APPEND asm "\n\t.text\n")
  foreach(sym IN LISTS names)
    string(APPEND asm ".Lstub${index}:\n\tmovl $${sym}, %eax\n\tjmp .Ltail_${id}\n")
    math(EXPR index "${index} + 1")
  endforeach()
  string(APPEND asm
    ".Ltail_${id}:\n\t.cfi_startproc\n"
    "\tpushl %ecx\n\t.cfi_adjust_cfa_offset 4\n\tpushl %edx\n\t.cfi_adjust_cfa_offset 4\n"
    "\tpushl %eax\n\t.cfi_adjust_cfa_offset 4\n"
    "\tpushl $.Ldescr_${id}\n\t.cfi_adjust_cfa_offset 4\n"
    "\tcall ___delayLoadHelper2@8\n\t.cfi_adjust_cfa_offset -8\n"
    "\tpopl %edx\n\t.cfi_adjust_cfa_offset -4\n\tpopl %ecx\n\t.cfi_adjust_cfa_offset -4\n"
    "\tjmp *%eax\n\t.cfi_endproc\n")
  set(asm "${asm}" PARENT_SCOPE)
endfunction()

# x86_64 (Win64 ABI): the helper may change every volatile register, so the tail keeps
# the four integer and the four floating-point argument registers. The stack arrives
# 8 bytes off 16 (the caller's return address); four pushes and 0x68 bytes (helper's
# home area, xmm0-xmm3, padding) realign it. The unwind data describes this frame, so
# an exception raised by the helper (DLL or function not found) unwinds through it.
function(append_code_x64 id names first)
  set(index ${first})
  string(APPEND asm "\n\t.text\n")
  foreach(sym IN LISTS names)
    string(APPEND asm ".Lstub${index}:\n\tleaq ${sym}(%rip), %rax\n\tjmp .Ltail_${id}\n")
    math(EXPR index "${index} + 1")
  endforeach()
  string(APPEND asm
    ".Ltail_${id}:\n\t.seh_proc .Ltail_${id}\n"
    "\tpushq %rcx\n\t.seh_pushreg %rcx\n\tpushq %rdx\n\t.seh_pushreg %rdx\n"
    "\tpushq %r8\n\t.seh_pushreg %r8\n\tpushq %r9\n\t.seh_pushreg %r9\n"
    "\tsubq $0x68, %rsp\n\t.seh_stackalloc 0x68\n"
    "\tmovdqa %xmm0, 0x20(%rsp)\n\t.seh_savexmm %xmm0, 0x20\n"
    "\tmovdqa %xmm1, 0x30(%rsp)\n\t.seh_savexmm %xmm1, 0x30\n"
    "\tmovdqa %xmm2, 0x40(%rsp)\n\t.seh_savexmm %xmm2, 0x40\n"
    "\tmovdqa %xmm3, 0x50(%rsp)\n\t.seh_savexmm %xmm3, 0x50\n"
    "\t.seh_endprologue\n"
    "\tmovq %rax, %rdx\n\tleaq .Ldescr_${id}(%rip), %rcx\n\tcall __delayLoadHelper2\n"
    "\tmovdqa 0x20(%rsp), %xmm0\n\tmovdqa 0x30(%rsp), %xmm1\n"
    "\tmovdqa 0x40(%rsp), %xmm2\n\tmovdqa 0x50(%rsp), %xmm3\n"
    "\taddq $0x68, %rsp\n\tpopq %r9\n\tpopq %r8\n\tpopq %rdx\n\tpopq %rcx\n"
    "\tjmp *%rax\n\t.seh_endproc\n")
  set(asm "${asm}" PARENT_SCOPE)
endfunction()

# Code that calls a function its header does not declare dllimport calls the name itself;
# the import library's jump through __imp_<name> serves it. The thunk file then supplies
# that jump, so the import library is not linked in for it.
function(append_jumps names)
  if(POINTER_SIZE EQUAL 8)
    set(slot "(%rip)")
  else()
    set(slot "")
  endif()
  foreach(name IN LISTS names)
    string(APPEND asm "\t.globl ${name}\n${name}:\n\tjmp *__imp_${name}${slot}\n")
  endforeach()
  set(asm "${asm}" PARENT_SCOPE)
endfunction()

run_nm(undefined -u ${OBJECTS})
string(REGEX MATCHALL "${imp_regex}" wanted "${undefined}")
list(REMOVE_DUPLICATES wanted)
string(REGEX MATCHALL " U [^\n]+" called "${undefined}")
list(TRANSFORM called REPLACE "^ U " "")
list(FILTER called EXCLUDE REGEX "^__imp_")
list(REMOVE_DUPLICATES called)

set(asm "# Generated by cmake/delayload.cmake; do not edit.\n")
set(index 0)
set(bound "")
foreach(pair IN LISTS DLLS)
  string(REPLACE "=" ";" pair "${pair}")
  list(GET pair 0 dll)
  list(GET pair 1 implib)
  run_nm(exports "${implib}")
  if(NOT exports MATCHES "${own_import}")
    message(FATAL_ERROR "delayload: ${implib} holds no imports of this architecture "
                        "(${POINTER_SIZE}-byte pointers, ${imp_prefix}...)")
  endif()
  set(names "")
  foreach(sym IN LISTS wanted)
    string(FIND "${exports}" " I ${sym}\n" at)
    if(NOT at EQUAL -1)
      list(APPEND names "${sym}")
    endif()
  endforeach()
  set(jumps "")
  foreach(name IN LISTS called)
    string(FIND "${exports}" " T ${name}\n" at)
    if(NOT at EQUAL -1)
      list(APPEND jumps "${name}")
      list(APPEND names "__imp_${name}")
    endif()
  endforeach()
  list(REMOVE_DUPLICATES names)
  if(NOT names)
    continue()
  endif()
  list(REMOVE_ITEM wanted ${names})
  if(jumps)
    list(REMOVE_ITEM called ${jumps})
  endif()
  list(APPEND bound ${names})
  string(MAKE_C_IDENTIFIER "${dll}" id)
  append_tables("${dll}" ${id} "${names}" ${index})
  if(POINTER_SIZE EQUAL 8)
    append_code_x64(${id} "${names}" ${index})
  else()
    append_code_x86(${id} "${names}" ${index})
  endif()
  append_jumps("${jumps}")
  list(LENGTH names count)
  math(EXPR index "${index} + ${count}")
endforeach()

if(NOT bound)
  message(FATAL_ERROR "delayload: the objects import nothing from ${DLLS}; "
                      "refusing to write an empty thunk file")
endif()
# What is left must come from the libraries the program imports at start-up.
set(direct_exports "")
foreach(implib IN LISTS DIRECT)
  run_nm(listing "${implib}")
  string(APPEND direct_exports "${listing}")
endforeach()
set(missing "")
foreach(sym IN LISTS wanted)
  if(NOT direct_exports MATCHES " [A-Z] ${sym}\n")
    list(APPEND missing "${sym}")
  endif()
endforeach()
if(missing)
  list(JOIN missing ", " missing)
  message(FATAL_ERROR "delayload: no delay-loaded DLL or start-up library provides "
                      "${missing}: add its DLL to the delayed list")
endif()

file(WRITE "${OUT}.tmp" "${asm}")
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different "${OUT}.tmp" "${OUT}")
