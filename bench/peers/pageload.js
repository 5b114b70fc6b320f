#!/usr/bin/env node
// The job of bench/run-pageload done by other DOM implementations with their scripts on: one page (a real page with
// jQuery inline and a small script of its own) loaded into fresh windows, one after the other, then many windows of
// it alive at once. One line per peer, in the format of the run's kxw line:
//
//   pageload system=NAME ms_per_page=X mb_per_window=Y [failures=K]
//
// Usage: node --expose-gc pageload.js [--peer NAME]... [--loads N] [--windows N] URL FILE
//   URL      the address the page is given as its own (nothing is fetched from it: every script is inline)
//   FILE     the page's bytes (UTF-8)
//   --peer   jsdom or happy-dom; may be repeated; default both, in that order
//   --loads  pages loaded one after the other for ms_per_page (default 200); the figure is their median
//   --windows  windows alive at once for mb_per_window (default 40)
//
// How each peer is measured, the same way for both:
// - Each peer runs in a child process of its own, so that one's memory does not weigh on the other's.
// - One load: a new window on the page's text with its scripts run as the page loads (jsdom: new JSDOM with
//   runScripts "dangerously"; happy-dom: new Window with JavaScript evaluation on and document.write), until the
//   page's own script has written its result (the element #kxw-added must hold the number of links), then the
//   window is closed and the event loop turns once. The first ten loads warm the peer up and are not counted.
// - mb_per_window: with a collection forced before and after, the resident size with N windows of the page alive
//   less the size before they were made, over N. MB are MiB (1,048,576 bytes).
// Exit status: 0 when every peer printed its line, 1 when one crashed or timed out, 2 on bad arguments.
'use strict';

const fs = require('fs');
const { spawnSync } = require('child_process');

const PEERS = ['jsdom', 'happy-dom'];
const CHILD_TIMEOUT_MS = 20 * 60 * 1000;
const WARM_UP_LOADS = 10;

function usage(sMessage) {
    if (sMessage) process.stderr.write(`pageload.js: ${sMessage}\n`);
    process.stderr.write('usage: node --expose-gc pageload.js [--peer jsdom|happy-dom]... [--loads N] [--windows N] URL FILE\n');
    process.exit(2);
}

async function makePeer(sName, sUrl) {
    switch (sName) {
    case 'jsdom': {
        const { JSDOM, VirtualConsole } = require('jsdom');
        const tSilent = new VirtualConsole();
        return {
            open(sText) {
                const tDom = new JSDOM(sText, { url: sUrl, runScripts: 'dangerously', virtualConsole: tSilent });
                return { document: tDom.window.document, close: () => tDom.window.close() };
            },
        };
    }
    case 'happy-dom': {
        const { Window } = await import('happy-dom');
        const tSettings = {
            enableJavaScriptEvaluation: true,
            // The page is our own, inline: the warning about untrusted code does not apply.
            suppressInsecureJavaScriptEnvironmentWarning: true,
            disableJavaScriptFileLoading: true,
            disableCSSFileLoading: true,
            disableIframePageLoading: true,
            disableComputedStyleRendering: true,
            navigation: { disableChildFrameNavigation: true, disableChildPageNavigation: true },
        };
        const tSilent = { log() {}, warn() {}, error() {}, info() {}, debug() {} };
        return {
            open(sText) {
                const tWindow = new Window({ url: sUrl, settings: tSettings, console: tSilent });
                tWindow.document.write(sText);
                return { document: tWindow.document, close: () => tWindow.happyDOM.close() };
            },
        };
    }
    default:
        throw new Error(`unknown peer ${sName}`);
    }
}

const turn = () => new Promise((fResolve) => setImmediate(fResolve));

function loaded(tDocument) {
    const tAdded = tDocument.getElementById('kxw-added');
    return tAdded !== null && /^[0-9]+$/.test(tAdded.textContent);
}

async function runChild(sName, sUrl, sText, nLoads, nWindows) {
    const tPeer = await makePeer(sName, sUrl);
    let nFailures = 0;
    const adTimes = [];
    for (let i = 0; i < WARM_UP_LOADS + nLoads; ++i) {
        const nStart = process.hrtime.bigint();
        const tOpen = tPeer.open(sText);
        if (!loaded(tOpen.document)) ++nFailures;
        tOpen.close();
        const nEnd = process.hrtime.bigint();
        if (i >= WARM_UP_LOADS) adTimes.push(Number(nEnd - nStart) / 1e6);
        await turn();
    }
    adTimes.sort((a, b) => a - b);
    const dMs = adTimes[Math.floor(adTimes.length / 2)];

    for (let i = 0; i < 3; ++i) { global.gc(); await turn(); }
    const nRssBefore = process.memoryUsage().rss;
    const atAlive = [];
    for (let i = 0; i < nWindows; ++i) {
        const tOpen = tPeer.open(sText);
        if (!loaded(tOpen.document)) ++nFailures;
        atAlive.push(tOpen);
        await turn();
    }
    for (let i = 0; i < 3; ++i) { global.gc(); await turn(); }
    const nRssAfter = process.memoryUsage().rss;
    const dMb = (nRssAfter - nRssBefore) / nWindows / 1048576;
    for (const tOpen of atAlive) tOpen.close();
    let sLine = `pageload system=${sName} ms_per_page=${dMs.toFixed(2)} mb_per_window=${dMb.toFixed(2)}`;
    if (nFailures) sLine += ` failures=${nFailures}`;
    process.stdout.write(sLine + '\n');
}

async function main() {
    const asArgs = process.argv.slice(2);
    const asPeers = [];
    let nLoads = 200;
    let nWindows = 40;
    let sChild = null;
    const asRest = [];
    for (let i = 0; i < asArgs.length; ++i) {
        const sArg = asArgs[i];
        const sNext = () => (i + 1 < asArgs.length ? asArgs[++i] : usage(`${sArg} needs a value`));
        if (sArg === '--peer') {
            const sPeer = sNext();
            if (!PEERS.includes(sPeer)) usage(`unknown peer ${sPeer}`);
            asPeers.push(sPeer);
        } else if (sArg === '--loads' || sArg === '--windows') {
            const nValue = Number(sNext());
            if (!Number.isInteger(nValue) || nValue < 1) usage(`${sArg} needs a whole number of 1 or more`);
            if (sArg === '--loads') nLoads = nValue; else nWindows = nValue;
        } else if (sArg === '--child') {
            sChild = sNext();
        } else {
            asRest.push(sArg);
        }
    }
    if (asRest.length !== 2) usage('give the URL and the FILE');
    const [sUrl, sFile] = asRest;
    if (sChild) {
        if (typeof global.gc !== 'function') usage('run with node --expose-gc');
        return runChild(sChild, sUrl, fs.readFileSync(sFile, 'utf8'), nLoads, nWindows);
    }
    let nStatus = 0;
    for (const sPeer of asPeers.length ? asPeers : PEERS) {
        const tChild = spawnSync(process.execPath,
            ['--expose-gc', __filename, '--child', sPeer, '--loads', String(nLoads), '--windows', String(nWindows), sUrl, sFile],
            { stdio: ['ignore', 'inherit', 'inherit'], timeout: CHILD_TIMEOUT_MS });
        if (tChild.status !== 0) {
            process.stderr.write(`pageload.js: ${sPeer} ${tChild.error ? tChild.error.message : `exited with ${tChild.status ?? tChild.signal}`}\n`);
            nStatus = 1;
        }
    }
    process.exit(nStatus);
}

main().catch((tError) => {
    process.stderr.write(`pageload.js: ${tError.stack || tError}\n`);
    process.exit(1);
});
