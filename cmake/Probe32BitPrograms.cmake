# Whether this kernel runs 32-bit x86 programs, which the 32-bit product under 32-bit Wine needs.
# Some kernels are built or started without 32-bit emulation, and a file such as
# /proc/sys/abi/vsyscall32 may exist there all the same, so the probe runs a program: a static
# i686 ELF of three instructions that exits with status 42. Sets LAUNCHER_RUNS_32BIT to ON or
# OFF and LAUNCHER_RUNS_32BIT_REASON to why, and writes the answer to
# ${CMAKE_BINARY_DIR}/runs-32bit.txt ("yes" or "no: REASON") for scripts/run-tests.
#
# LAUNCHER_FORCE_32BIT_ANSWER ("yes" or "no") skips the probe and gives its answer instead; it
# exists to test the test command's own handling of both kernels on one machine.
set(LAUNCHER_FORCE_32BIT_ANSWER "" CACHE STRING
    "For testing the test command only: \"yes\" or \"no\" in place of probing for 32-bit programs")

function(launcher_probe_32bit_programs)
  set(folder "${CMAKE_BINARY_DIR}/probe-32bit")
  set(answer OFF)
  if(LAUNCHER_FORCE_32BIT_ANSWER STREQUAL "yes")
    set(answer ON)
    set(reason "LAUNCHER_FORCE_32BIT_ANSWER=yes")
  elseif(LAUNCHER_FORCE_32BIT_ANSWER STREQUAL "no")
    set(reason "LAUNCHER_FORCE_32BIT_ANSWER=no")
  elseif(NOT LAUNCHER_FORCE_32BIT_ANSWER STREQUAL "")
    message(FATAL_ERROR "LAUNCHER_FORCE_32BIT_ANSWER must be empty, \"yes\" or \"no\"")
  else()
    file(MAKE_DIRECTORY "${folder}")
    file(WRITE "${folder}/exit42.s"
         ".globl _start\n_start:\n  movl $1, %eax\n  movl $42, %ebx\n  int $0x80\n")
    execute_process(COMMAND as --32 -o exit42.o exit42.s
                    WORKING_DIRECTORY "${folder}" RESULT_VARIABLE assembled
                    OUTPUT_QUIET ERROR_VARIABLE assembler_errors)
    if(assembled EQUAL 0)
      execute_process(COMMAND ld -m elf_i386 -o exit42 exit42.o
                      WORKING_DIRECTORY "${folder}" RESULT_VARIABLE linked
                      OUTPUT_QUIET ERROR_VARIABLE linker_errors)
    endif()
    if(NOT assembled EQUAL 0 OR NOT linked EQUAL 0)
      # Without the tools there is no answer: say so rather than guess either way.
      message(FATAL_ERROR "Cannot build the 32-bit probe program with as --32 and ld -m elf_i386: "
                          "${assembler_errors}${linker_errors}")
    endif()
    # Started through bash's exec, which reports a format the kernel refuses as such, where
    # execute_process would hand the program to /bin/sh as a script.
    execute_process(COMMAND bash -c "exec \"$0\"" "${folder}/exit42" RESULT_VARIABLE ran
                    OUTPUT_QUIET ERROR_VARIABLE run_errors ERROR_STRIP_TRAILING_WHITESPACE)
    if(ran STREQUAL "42")
      set(answer ON)
      set(reason "a static i686 program ran")
    else()
      string(REGEX REPLACE "\n.*" "" run_errors "${run_errors}")
      string(REGEX REPLACE "^.*: " "" run_errors "${run_errors}")
      set(reason "a static i686 program did not run: exit status ${ran}, ${run_errors}")
    endif()
  endif()
  if(answer)
    file(WRITE "${CMAKE_BINARY_DIR}/runs-32bit.txt" "yes: ${reason}\n")
  else()
    file(WRITE "${CMAKE_BINARY_DIR}/runs-32bit.txt" "no: ${reason}\n")
  endif()
  set(LAUNCHER_RUNS_32BIT ${answer} PARENT_SCOPE)
  set(LAUNCHER_RUNS_32BIT_REASON "${reason}" PARENT_SCOPE)
endfunction()
