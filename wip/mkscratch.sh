#!/bin/bash
# Rebuilds /tmp/qf-scratch: this branch + others' uncommitted work + wip files.
set -e
S=/tmp/qf-scratch
mkdir -p $S
cd /work/wt/saving
# sync tracked files (keep build dir)
find $S -mindepth 1 -maxdepth 1 ! -name build -exec rm -rf {} +
git ls-files | tar -cf - -T - | tar -xf - -C $S
for w in item storage; do
  (cd /work/wt/$w && git status --short --untracked-files=all | awk '{print $NF}' | grep -E '^(src|resources)/' || true) | while read f; do
    [ -f /work/wt/$w/$f ] || continue
    mkdir -p $S/$(dirname $f); cp /work/wt/$w/$f $S/$f; done
done
cd $S
python3 /work/wt/saving/wip/apply_headers.py $S
W=/work/wt/saving/wip
cp $W/{AttachmentManager.h,AttachmentManager.cpp,DatabaseSaver.h,DatabaseSaver.cpp,LocalDatabaseAttachments.cpp,LocalDatabaseSaving.cpp} src/storage/
cp $W/BibItemAttachments.cpp src/model/
cp $W/SaveCommand.cpp $W/AttachCommand.cpp $W/BibtexExport.h $W/BibtexExport.cpp src/cli/
for t in $W/*Test.cpp; do
  case $(basename $t) in Cli*|SaveCommand*) cp $t tests/cli/ 2>/dev/null || { mkdir -p tests/cli; cp $t tests/cli/; } ;; Corpus*|RoundTrip*) mkdir -p tests/corpus; cp $t tests/corpus/ ;; *) cp $t tests/storage/ ;; esac
done
cp $W/SaveBench.cpp bench/
[ -f $W/extra.sh ] && bash $W/extra.sh $S || true
