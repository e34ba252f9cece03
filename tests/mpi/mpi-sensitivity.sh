#!/usr/bin/env bash
# quorvane-mpi over 2 processes (3 in one case) writes the very bytes quorvane-cli writes
# (calibrate: the same table and fitted model), and a fault ends every process with the same
# status and one message, within seconds.
# Usage: mpi-sensitivity.sh QUORVANE-CLI QUORVANE-MPI MPIRUN SOURCE-FOLDER
set -uo pipefail
cli=$1 mpi=$2 mpirun=$3 source=$4
supply=$source/examples/supply_chain.qvf
chain=$source/tests/mpi/chain.qvf
broken=$source/tests/golden/equation_errors/model.qvf
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

launch=("$mpirun" --oversubscribe)
if [ "$(id -u)" -eq 0 ]; then launch+=(--allow-run-as-root); fi
# Containers often refuse the kernel's cross-process copy; shared memory does without it.
export OMPI_MCA_btl_vader_single_copy_mechanism=none
failures=0
fail() {
  echo "FAIL $*"
  failures=$((failures + 1))
}

# name | processes | model | arguments after the model, separated by ';' (BANDS, RUNS and
# PLOT stand for output files; the picture shows the model's own run, which rank 0 runs)
same_bytes=(
  "lhs|2|$supply|--runs;40;--method;lhs;--vary;Lead Time=uniform(2, 6);--vary;Adjustment Time=triangular(2, 4, 8);--runs-csv;RUNS;--plot;PLOT"
  "warnings|2|$supply|--runs;9;--seed;3;--jobs;2;--vary;Adjustment Time=list(0, 4);--vary;Lead Time=normal(4, 1, 2, 6);--output;Orders"
  "grid|3|$supply|--method;grid;--vary;Lead Time=steps(2, 6, 5);--vary;Adjustment Time=list(2, 8);--output;Inventory;--csv;BANDS"
  "chain|2|$chain|--runs;24;--seed;7;--jobs;1;--vary;S_1=uniform(50, 150);--vary;S_30=normal(100, 10);--output;S_1;--output;F_30;--csv;BANDS;--runs-csv;RUNS"
  "one run|2|$chain|--runs;1;--vary;S_2=list(5);--output;S_2;--runs-csv;RUNS"
)
for entry in "${same_bytes[@]}"; do
  IFS='|' read -r name processes model list <<<"$entry"
  for tool in cli mpi; do
    mkdir -p "$work/$tool"
    IFS=';' read -r -a args <<<"$list"
    args=("${args[@]//BANDS/$work/$tool/bands.csv}")
    args=("${args[@]//RUNS/$work/$tool/runs.csv}")
    args=("${args[@]//PLOT/$work/$tool/plot.svg}")
    if [ $tool = cli ]; then
      "$cli" sensitivity "$model" "${args[@]}" >"$work/cli/out" 2>"$work/cli/err"
    else
      timeout 120 "${launch[@]}" -np "$processes" "$mpi" sensitivity "$model" "${args[@]}" \
        >"$work/mpi/out" 2>"$work/mpi/err"
    fi
    echo $? >"$work/$tool/status"
  done
  for f in status out err bands.csv runs.csv plot.svg; do
    if [ -e "$work/cli/$f" ] || [ -e "$work/mpi/$f" ]; then
      cmp -s "$work/cli/$f" "$work/mpi/$f" ||
        fail "$name: $f differs:" "$(diff "$work/cli/$f" "$work/mpi/$f" | head -5)"
    fi
  done
  [ "$(cat "$work/cli/status")" = 0 ] || fail "$name: quorvane-cli failed: $(cat "$work/cli/err")"
  [ -s "$work/cli/out" ] || [ -s "$work/cli/bands.csv" ] || fail "$name: no bands written"
  rm -rf "$work/cli" "$work/mpi"
done

# Faults: each process reports its own status through the shell it runs under; rank 0 alone
# prints the message. name | status | message | model | model of process 1 | arguments
faults=(
  "broken model|1|There are errors in equations, cannot simulate|$broken|$broken|sensitivity;--vary;K=list(1)"
  "missing model|3|none.qvf\" does not exist.|$work/none.qvf|$work/none.qvf|sensitivity"
  "bad option|2|Try 'quorvane-mpi --help'|$supply|$supply|sensitivity;--runs;0"
  "other command|2|quorvane-mpi runs sensitivity and calibrate|$supply|$supply|run"
  "calibrate without data|1|quorvane-mpi: No target has observed points within the run|$supply|$supply|calibrate;--fit;Lead Time=1..8"
  "unwritable output|3|couldn't write $work/no/bands.csv|$supply|$supply|sensitivity;--vary;Lead Time=list(2);--csv;$work/no/bands.csv"
  "only process 1 fails|3|process 1 of 2 failed:|$supply|$work/none.qvf|sensitivity;--vary;Lead Time=list(2)"
)
for entry in "${faults[@]}"; do
  IFS='|' read -r name status message model model1 list <<<"$entry"
  IFS=';' read -r -a args <<<"$list"
  timeout 60 "${launch[@]}" -np 2 bash -c \
    'm=$1; [ "$OMPI_COMM_WORLD_RANK" = 1 ] && m=$2; shift 2; "$0" "$1" "$m" "${@:2}"; echo "status $?"' \
    "$mpi" "$model" "$model1" "${args[@]}" >"$work/out" 2>"$work/err"
  [ $? -ne 124 ] || fail "$name: still running after 60 s"
  [ "$(grep -c "^status $status\$" "$work/out")" = 2 ] ||
    fail "$name: $(grep '^status' "$work/out" | tr '\n' ' ')where both should be $status"
  count=$(grep -cF -- "$message" "$work/err")
  [ "$count" = 1 ] || fail "$name: '$message' $count times in: $(cat "$work/err")"
done

# calibrate: data made by customer_growth with another contact rate; the same table and the
# same fitted values from 4 starts over 2 processes (the time taken aside).
growth=$source/examples/customer_growth.qvf
"$cli" run "$growth" --set "Contact Rate=6" --csv "$work/run.csv" >/dev/null &&
  "$cli" import-data "$growth" "$work/run.csv" "$work/observed.qvf" >/dev/null ||
  fail "calibrate: the observed model could not be made"
calibrate=(calibrate "$work/observed.qvf" --fit "Contact Rate=2..20" --fit "Price=10..50"
  --target Customers --target "Revenue=1e-6" --starts 4 --jobs 1)
"$cli" "${calibrate[@]}" --out "$work/cli.qvf" >"$work/cli.out" 2>"$work/cli.err"
echo $? >"$work/cli.status"
timeout 120 "${launch[@]}" -np 2 "$mpi" "${calibrate[@]}" --out "$work/mpi.qvf" \
  >"$work/mpi.out" 2>"$work/mpi.err"
echo $? >"$work/mpi.status"
for f in status err; do
  cmp -s "$work/cli.$f" "$work/mpi.$f" || fail "calibrate: $f differs: $(cat "$work/mpi.$f")"
done
diff <(grep -v '^Time: ' "$work/cli.out") <(grep -v '^Time: ' "$work/mpi.out") >/dev/null ||
  fail "calibrate: the tables differ: $(diff "$work/cli.out" "$work/mpi.out")"
grep -q '^Converged$' "$work/cli.out" || fail "calibrate: quorvane-cli did not converge"
# The models differ in the time they were saved only: compare their elements.
cmp -s <("$cli" info "$work/cli.qvf") <("$cli" info "$work/mpi.qvf") ||
  fail "calibrate: the fitted models differ"

[ $failures -eq 0 ] && echo "quorvane-mpi: every case passed"
exit $((failures > 0))
