# The fuzz targets, read by scripts/fuzz-ci.sh and scripts/fuzz-long.sh (with
# `.`, from the top of the tree): each PROGRAM, below the build's fuzz/, with
# the folder of its seed inputs below fuzz/, as PROGRAM:SEEDS.
# shellcheck shell=sh
# shellcheck disable=SC2034 # used by the scripts that read this file
FUZZ_TARGETS="xml/xml_parse_fuzzer:xml/corpus/parse xml/xml_read_file_fuzzer:xml/corpus/read_file
  package/package_fuzz:package/corpus isp/isp_engine_replies_fuzz:isp/corpus/engine_replies
  isp/isp_loader_commands_fuzz:isp/corpus/loader_commands gui/gui_bmp_fuzz:gui/corpus/bmp
  gui/gui_ico_fuzz:gui/corpus/ico hid/hid_descriptor_fuzz:hid/corpus
  hid/hid_report_channel_fuzz:hid/corpus-channel sim/sim_state_file_fuzz:sim/corpus"

# fuzz_options NAME ROOT: what a target takes besides the common options; the
# XML readers get their dictionary and room for whole documents.
fuzz_options() {
  case $1 in
    xml_*) echo "-dict=$2/fuzz/xml/xml.dict -max_len=8192" ;;
  esac
}
