#!/bin/bash
# Moves the pending saving code into the tree once the database classes are merged.
set -e
cd /work/wt/saving
python3 wip/apply_headers.py $PWD
git mv wip/AttachmentManager.h wip/AttachmentManager.cpp wip/DatabaseSaver.h wip/DatabaseSaver.cpp wip/LocalDatabaseAttachments.cpp wip/LocalDatabaseSaving.cpp src/storage/
git mv wip/BibItemAttachments.cpp src/model/
git mv wip/SaveCommand.cpp wip/AttachCommand.cpp wip/BibtexExport.h wip/BibtexExport.cpp src/cli/
git mv wip/AttachmentManagerTest.cpp wip/DatabaseSaverTest.cpp tests/storage/
mkdir -p tests/cli tests/corpus
git mv wip/CliSaveTest.cpp tests/cli/
git mv wip/CorpusSaveRoundTripTest.cpp tests/corpus/
git mv wip/SaveBench.cpp bench/
