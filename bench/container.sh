# Sourced by the benchmark scripts: make_container CLI OUT_DIR IMAGES writes OUT_DIR/container.d88,
# IMAGES blank 2HD images (77 x 2 x 8 x 1024 bytes each) back to back, about 1 GiB for 838.
make_container() {
    local cli=$1 out=$2 images=$3
    "$cli" blank "$out/one.d88" 2HD 77 2 8 3 --force >/dev/null
    # Concatenation is a container. A bounded loop: an endless one feeding head outlives it.
    local i
    for ((i = 0; i < images; i++)); do cat "$out/one.d88"; done >"$out/container.d88"
}
