void tolvane3_dsp_placeholder() {}
