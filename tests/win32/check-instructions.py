#!/usr/bin/env python3
"""check-instructions.py FILE...: every instruction in the code of each PE file runs on an
Intel 486DX, the oldest processor Windows 98 starts on.

Disassembles the code of .text, from its start to the constructor lists the linker puts
after the last function (what follows them, the exception tables, is data), and fails on
any instruction the 486 lacks: the Pentium's (rdtsc, rdmsr, cmpxchg8b), the Pentium Pro's
(cmovCC, fcmovCC, fcomi and kin, the long NOPs 0F 1F, rdpmc, sysenter, ud2 is allowed since
it traps on every processor by design), MMX, SSE and later (any instruction naming an MMX,
SSE or AVX register, and the ones that do not: emms, the fences, prefetches, ldmxcsr,
fxsave, movnti, ...), endbr32, and cpuid. cpuid exists only on later 486s; code that runs it
must first test the EFLAGS ID bit, and code that runs what cpuid reports must ask it first,
which a disassembler cannot judge: such functions are listed in ALLOWED with the reason and
the instructions each may hold; nothing else may use them.

tzcnt (F3 0F BC) is allowed: a processor without BMI1 ignores the prefix and runs bsf,
which GCC relies on only where the operand is known to be non-zero.

Prints the count per file and the first functions that hold such instructions.
"""
import re
import subprocess
import sys

OBJDUMP = "i686-w64-mingw32-objdump"

# Instructions newer than the 486, by mnemonic (without AT&T size suffixes where GCC
# never adds one).
NEWER = re.compile(
    r"^(cmov\w+|fcmov\w+|f(u)?comip?|rdtscp?|rdpmc|rdmsr|wrmsr|rsm|cmpxchg(8|16)b"
    r"|sysenter|sysexit|syscall|sysret|endbr(32|64)|cpuid"
    r"|nop[lwq]?\s.*|emms|femms|[slm]fence|prefetch\w*|clflush\w*|ldmxcsr|stmxcsr"
    r"|fxsave\w*|fxrstor\w*|xsave\w*|xrstor\w*|xgetbv|movnti|maskmovq|fisttp\w*"
    r"|popcnt|lzcnt|movbe|crc32\w*|rdrand|rdseed|andn|bextr|blsi|blsmsk|blsr|bzhi"
    r"|mulx|pdep|pext|rorx|sarx|shlx|shrx|adcx|adox)$")
# Any MMX, SSE or AVX register.
VECTOR_REGISTER = re.compile(r"%(x|y|z)?mm\d")

# std::random_device comes with libstdc++'s object of copy-on-write string instances (which
# std::runtime_error pulls in) and is never constructed by the program. Were it, _M_init
# toggles the EFLAGS ID bit before cpuid, and the rdrand/rdseed readers (compiled for
# processors that have those, so they may use anything older: "*") run only when cpuid
# reports them.
RANDOM_DEVICE = "libstdc++'s std::random_device, linked but unused, guarded by CPUID"
ALLOWED = {
    "__ZNSt13random_device7_M_initERKNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEE":
        ({"cpuid"}, RANDOM_DEVICE),
    "__ZNSt12_GLOBAL__N_112__x86_rdrandEPv": ({"*"}, RANDOM_DEVICE),
    "__ZNSt12_GLOBAL__N_112__x86_rdseedEPv": ({"*"}, RANDOM_DEVICE),
    "__ZNSt12_GLOBAL__N_119__x86_rdseed_rdrandEPv": ({"*"}, RANDOM_DEVICE),
}


def CodeBounds(path):
    """Start and end address of the code in .text."""
    headers = subprocess.run([OBJDUMP, "-h", path], capture_output=True, text=True,
                             check=True).stdout
    text = re.search(r"^\s*\d+\s+\.text\s+([0-9a-f]+)\s+([0-9a-f]+)", headers, re.M)
    if not text:
        sys.exit(f"{path}: no .text section")
    size, start = int(text.group(1), 16), int(text.group(2), 16)
    end = start + size
    symbols = subprocess.run([OBJDUMP, "-t", path], capture_output=True, text=True,
                             check=True).stdout
    # Symbol values are offsets into their section.
    ctors = re.search(r"\(sec\s+1\).* 0x([0-9a-f]+) _?__CTOR_LIST__$", symbols, re.M)
    if ctors:
        end = min(end, start + int(ctors.group(1), 16))
    elif "(nx 0)" in symbols:
        sys.exit(f"{path}: no __CTOR_LIST__ symbol; build the unstripped program")
    return start, end


def Check(path):
    """Returns the number of instructions a 486 lacks in PATH, printing where they are."""
    start, end = CodeBounds(path)
    listing = subprocess.run(
        [OBJDUMP, "-d", "--no-show-raw-insn", f"--start-address={start:#x}",
         f"--stop-address={end:#x}", path],
        capture_output=True, text=True, check=True).stdout
    function = "?"
    found = {}
    allowed = set()
    instructions = 0
    for line in listing.splitlines():
        label = re.match(r"^[0-9a-f]+ <(.+)>:$", line)
        if label:
            function = label.group(1)
            continue
        fields = line.split("\t")
        if len(fields) < 2 or not re.match(r"^\s*[0-9a-f]+:$", fields[0]):
            continue
        text = fields[1].strip()
        if not text or text.startswith("(bad)"):
            continue
        instructions += 1
        mnemonic = re.sub(r"^((rep\w*|lock|data16|addr16|cs|ds|es|ss|fs|gs)\s+)+", "", text)
        name = mnemonic.split()[0] if mnemonic else ""
        newer = NEWER.match(mnemonic) or NEWER.match(name) or VECTOR_REGISTER.search(text)
        if not newer:
            continue
        permitted = ALLOWED.get(function, ((), ""))[0]
        if name in permitted or "*" in permitted:
            allowed.add(function)
        else:
            found.setdefault(function, []).append(text)
    count = sum(len(v) for v in found.values())
    print(f"{path}: {instructions} instructions, {count} that a 486 lacks"
          f" in {len(found)} functions")
    for function, texts in list(found.items())[:15]:
        print(f"  {function}: {len(texts)}, e.g. {texts[0]}")
    for function in sorted(allowed):
        print(f"  allowed in {function}: {ALLOWED[function][1]}")
    if instructions == 0:
        print(f"{path}: no code found")
        return 1
    return count


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    total = sum(Check(path) for path in sys.argv[1:])
    return 1 if total else 0


if __name__ == "__main__":
    sys.exit(main())
