#!/usr/bin/env bash
# Builds a small demo database, starts the program under Xvfb on a register of this month and
# has it save a picture of its main window to docs/screenshot.png (the README's picture).
#   scripts/screenshot.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${1:-build}
if [ ! -x "$build_dir/src/tallybrook-screenshot" ]; then
  bash scripts/build.sh "$build_dir"
fi

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export XDG_DATA_HOME=$home
export LANG=${SCREENSHOT_LANG:-en_US.UTF-8}
cli="$build_dir/src/tallybrook-cli"

month=$(date +%-m)
year=$(date +%Y)
day() { echo "#$month/$1/$year#"; }

"$cli" check >/dev/null
"$cli" sql \
  "INSERT INTO Account (AccountID, Description, Type, Sequence, OpeningBalance) VALUES ('1001-220', 'Everyday Checking', 'Bank', 1, 2450)" \
  "INSERT INTO Account (AccountID, Description, Type, Sequence, OpeningBalance) VALUES ('1001-310', 'Holiday Savings', 'Bank', 2, 5200)" \
  "INSERT INTO Account (AccountID, Description, Type, Sequence, OpeningBalance) VALUES ('W-1', 'Wallet', 'Cash', 3, 80)" \
  "INSERT INTO Account (AccountID, Description, Type, Sequence, OpeningBalance) VALUES ('4111-77', 'Travel Card', 'Credit Card', 4, 0)" \
  "INSERT INTO Account (AccountID, Description, Type, Sequence, OpeningBalance) VALUES ('L-9', 'Car Loan', 'Loan', 5, 0)" \
  "INSERT INTO Budget ([Year], Period, Category, CategoryGroup, Amount) VALUES ($year, $month, 'Groceries', 'Household', -450)" \
  "INSERT INTO Budget ([Year], Period, Category, CategoryGroup, Amount) VALUES ($year, $month, 'Utilities', 'Household', -180)" \
  "INSERT INTO Budget ([Year], Period, Category, CategoryGroup, Amount) VALUES ($year, $month, 'Salary', 'Income', 3200)" \
  "INSERT INTO Budget ([Year], Period, Category, CategoryGroup, Amount) VALUES ($year, $month, '(none)', '(none)', 0)" \
  >/dev/null
seq=1
add() { # date-day description amount category check payee
  "$cli" sql "INSERT INTO Trans (AccountID, Sequence, SubSequence, [Year], Period, PostDate, Description, Amount, Category, CheckID, PayeeName) VALUES ('1001-220', $seq, 0, $year, $month, $(day "$1"), '$2', $3, '$4', '$5', '$6')" >/dev/null
  seq=$((seq + 1))
}
add 1 "Monthly salary" 3200 Salary "" "Northwind Ltd"
add 2 "Greenfield Market" -84.37 Groceries "" ""
add 4 "City Power and Water" -112.60 Utilities "" "Direct debit"
add 6 "Corner Bakery" -12.40 Groceries "" ""
add 9 "Rent" -1150 "(none)" 1042 "Mrs. Alvarez"
add 12 "Greenfield Market" -61.05 Groceries "" ""
add 15 "Transfer to savings" -400 "(none)" "" ""
"$cli" sql "UPDATE Account SET CurrentBalance = 1379.58 WHERE AccountID = '1001-220'" >/dev/null

mkdir -p docs
TALLYBROOK_SCREENSHOT="${SCREENSHOT_FILE:-$PWD/docs/screenshot.png}" \
  TALLYBROOK_SCREENSHOT_ACCOUNT=${SCREENSHOT_VIEW:-1} \
  xvfb-run -a -s "-screen 0 1024x768x24" "$build_dir/src/tallybrook-screenshot"
echo "saved ${SCREENSHOT_FILE:-docs/screenshot.png}"
