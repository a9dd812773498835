#!/usr/bin/env bash
# Runs the shell commands that the README and the manual pages show, in the
# order shown, from the source folder as the README says, and fails on any
# that exits with other than 0, or that leaves a file in the checkout.
# Usage: readme_commands_test.sh SOURCE_DIR BUILD_DIR
#
# The commands are the README's ```sh blocks and the lines of the EXAMPLES
# sections' .EX/.nf blocks of the manual pages; a line ending in \ goes on
# on the next. They run as they would after the demo command, with:
#   - build/release/ read as this build's folder (BUILD_DIR/), and the
#     manual pages' bare orbivex and orbivex-gen found in its app/ and
#     tools/, as after an install;
#   - /tmp/ read as a folder of this run's own, so that runs side by side
#     do not meet.
# Skipped (each named in the output), though the example files they name
# must exist:
#   - the scripts of scripts/: the demo installs packages and opens the
#     viewer, the test and fuzz commands run for minutes;
#   - installing: cmake --install, update-mime-database, apt, a virtual
#     environment and pip (python_pip_test does that);
#   - benchmarks (bench/) and commands for an X server (DISPLAY=);
#   - commands sent to the background (ending in &): the live writer plays
#     rows for minutes;
#   - orbivex without --render, --frames, --video, --html, --write-config, --help or --version,
#     which opens the viewer;
#   - --video when ffmpeg is not installed.
set -euo pipefail
source=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
marker=$scratch/.started
touch "$marker"

# Prints each command of the README's ```sh blocks on one line.
readme_commands() {
    awk '/^```sh$/ { inside = 1; next } /^```/ { inside = 0; next } inside' "$1"
}
# Prints each command of a manual page's EXAMPLES section, unescaped.
manual_commands() {
    awk '/^\.SH / { examples = ($2 == "EXAMPLES"); next }
         examples && /^\.(EX|nf)/ { inside = 1; next }
         examples && /^\.(EE|fi)/ { inside = 0; next }
         examples && inside' "$1" | sed -e 's/\\-/-/g' -e 's/\\e/\\/g'
}
# Joins lines ending in a backslash with the next.
joined() { sed -e ':a' -e '/\\$/{N;s/\\\n//;ba' -e '}'; }

skip_reason() {
    local command=$1
    case $command in
        *scripts/*) echo "a script of scripts/" ;;
        *"cmake --install"* | *update-mime-database* | *"apt "* | *"pip install"* | *"-m venv"*) echo "installs" ;;
        *bench/* | *DISPLAY=*) echo "a benchmark" ;;
        *"&" | *"& "*"#"*) echo "runs in the background" ;;
    esac
    local words=" ${command%%#*} "
    if [[ $words =~ (^|[ /])orbivex[[:space:]] ]] &&
        ! [[ $words =~ [[:space:]]--(render|frames|video|html|write-config|help|version)[[:space:]] ]]; then
        echo "opens the viewer"
    fi
    if [[ $words == *" --video "* ]] && ! command -v ffmpeg >/dev/null; then
        echo "ffmpeg is not installed"
    fi
}

failures=0 ran=0
run_all() {
    local origin=$1 command reason word
    while IFS= read -r command; do
        [[ $command =~ ^[[:space:]]*(#|$) ]] && continue
        reason=$(skip_reason "$command" | head -n 1)
        if [ -n "$reason" ]; then
            echo "skipped ($reason): $command"
            for word in ${command%%#*}; do
                if [[ $word == examples/* && ! -e $source/$word ]]; then
                    echo "FAIL ($origin): $word does not exist: $command" >&2
                    failures=$((failures + 1))
                fi
            done
            continue
        fi
        local shown=$command
        # /tmp/ first: the build folder may itself lie under /tmp.
        command=${command//\/tmp\//$scratch/}
        command=${command//build\/release\//$build/}
        echo "running: $shown"
        ran=$((ran + 1))
        local status=0
        (cd "$source" && PATH=$build/app:$build/tools:$PATH bash -c "$command" </dev/null) || status=$?
        if ((status != 0)); then
            echo "FAIL ($origin): exit status $status from: $shown" >&2
            failures=$((failures + 1))
        fi
    done
}

run_all README.md < <(readme_commands "$source/README.md" | joined)
for page in desktop/orbivex.1.in tools/orbivex-gen.1; do
    run_all "$page" < <(manual_commands "$source/$page" | joined)
done

# Nothing the commands wrote may land in the checkout.
left=$(cd "$source" && find . \( -path ./.git -o -path './build*' \) -prune -o -newer "$marker" -type f -print)
if [ -n "$left" ]; then
    echo "FAIL: the commands wrote into the checkout:" $left >&2
    failures=$((failures + 1))
fi

if ((failures > 0)); then
    exit 1
fi
echo "ran $ran commands of the README and the manual pages"
