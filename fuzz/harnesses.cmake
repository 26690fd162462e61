# The fuzz harnesses, each <name>_fuzzer.cpp with its seeds in corpus/<name>/.
set(MAVREN_FUZZ_HARNESSES program_file settings image_header jpeg_decode html_body boilerplate
    listing)
